#pragma once

class QObject;
class TADOIBQuery;
class TADOIBStringField;
class TDataSource;

// qryServico: the services of one branch (P_CDFILIAL), one code or all of them (P_CDSERVFILI NULL),
// in code order; dtsServico shows its result to the service search.
struct ServicoLookup {
    TADOIBQuery* qryServico = nullptr;
    TADOIBStringField* qryServicoCDSERVFILI = nullptr;
    TADOIBStringField* qryServicoNMSERVICO = nullptr;
    TDataSource* dtsServico = nullptr;

    // Builds the closed query, its fields and its data source as children of `owner`.
    static ServicoLookup create(QObject* owner);
};
