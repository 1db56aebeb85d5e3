#include "LookupSeed.h"

QStringList LookupSeed::tables()
{
    return {
        QStringLiteral(
            "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY, NMFILIAL VARCHAR(30))"),
        QStringLiteral("CREATE TABLE SERVICO (CDFILIAL VARCHAR(4) NOT NULL, CDSERVFILI VARCHAR(5) NOT NULL, "
                       "NMSERVICO VARCHAR(40), PRIMARY KEY (CDFILIAL, CDSERVFILI))"),
    };
}

QStringList LookupSeed::rows()
{
    return {
        // Inserted out of code order: the order must come from the query.
        QStringLiteral("INSERT INTO FILIAL VALUES ('0010', 'Filial Recife')"),
        QStringLiteral("INSERT INTO FILIAL VALUES ('0001', 'Matriz São Paulo')"),
        QStringLiteral("INSERT INTO FILIAL VALUES ('10', 'Filial Dez')"),
        QStringLiteral("INSERT INTO FILIAL VALUES ('0002', 'Filial Rio')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '00010', 'Portaria')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '00001', 'Vigilância')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '10', 'Recepção')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0001', '00002', 'Limpeza')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0002', '00003', 'Jardinagem')"),
        QStringLiteral("INSERT INTO SERVICO VALUES ('0002', '00001', 'Vigilância noturna')"),
    };
}
