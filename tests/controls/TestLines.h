#pragma once

#include "PacketCodec.h"
#include "TBCDField.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QObject>

// A client data set of measurement-like lines (code, name, quantity, price) behind a data source, for
// grid tests. Owned by `parent`.
struct TestLines {
    TClientDataSet* cds;
    TDataSource* source;
    TStringField* code;
    TStringField* name;
    TBCDField* qty;
    TBCDField* price;

    explicit TestLines(QObject* parent) : cds(new TClientDataSet(parent)), source(new TDataSource(parent))
    {
        cds->setObjectName(QStringLiteral("cdsLines"));
        code = new TStringField(cds, QStringLiteral("CODE"), 5);
        code->SetDisplayLabel(QStringLiteral("Código"));
        name = new TStringField(cds, QStringLiteral("NAME"), 20);
        name->SetDisplayLabel(QStringLiteral("Serviço"));
        qty = new TBCDField(cds, QStringLiteral("QTY"), 10, 3);
        qty->SetDisplayLabel(QStringLiteral("Nº de Efetivos"));
        qty->SetDisplayFormat(QStringLiteral("#,##0.000"));
        price = new TBCDField(cds, QStringLiteral("PRICE"), 15, 2);
        price->SetDisplayFormat(QStringLiteral("#,##0.000"));
        source->SetDataSet(cds);
    }

    static Record line(const QString& code, const QString& name, double qty, double price)
    {
        return {code, name, QVariant::fromValue(Currency::fromDouble(qty)),
                QVariant::fromValue(Currency::fromDouble(price))};
    }

    void load(const QList<Record>& rows)
    {
        cds->SetData(PacketCodec::encodePacket(cds->FieldDefList(), rows));
    }

    void loadThree()
    {
        load({line("00001", "Limpeza", 1234.5, 10), line("00002", "Portaria", 2, 20.5),
              line("00003", "Jardinagem", 3, 30)});
    }

    QString codeAt(int row) const { return cds->valueAt(row, 0).toString(); }
};
