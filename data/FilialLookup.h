#pragma once

class QObject;
class TADOIBQuery;
class TADOIBStringField;
class TDataSource;

// qryFilial: the branches of the local database, one code or all of them (P_CDFILIAL NULL), in code
// order; dtsFilial shows its result to the branch search.
struct FilialLookup {
    TADOIBQuery* qryFilial = nullptr;
    TADOIBStringField* qryFilialCDFILIAL = nullptr;
    TADOIBStringField* qryFilialNMFILIAL = nullptr;
    TDataSource* dtsFilial = nullptr;

    // Builds the closed query, its fields and its data source as children of `owner`.
    static FilialLookup create(QObject* owner);
};
