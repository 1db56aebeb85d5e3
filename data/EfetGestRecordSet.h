#pragma once

#include "FieldDef.h"

class QObject;
class TBCDField;
class TClientDataSet;
class TDateTimeField;
class TStringField;

// cdsEfetGest: the measurement lines of one branch and billing date, as the grid shows and edits them.
struct EfetGestRecordSet {
    TClientDataSet* cdsEfetGest = nullptr;
    TStringField* cdsEfetGestUSR_CDFILIAL = nullptr;
    TDateTimeField* cdsEfetGestUSR_DTEFETGEST = nullptr;
    TStringField* cdsEfetGestUSR_CDSERVFILI = nullptr;
    TBCDField* cdsEfetGestUSR_QTEFETGEST = nullptr;
    TBCDField* cdsEfetGestUSR_VREFETGEST = nullptr;
    TBCDField* cdsEfetGestUSR_VRTTSERVGEST = nullptr;
    TStringField* cdsEfetGestNMSERVICO = nullptr;

    // Builds the closed record set and its fields as children of `owner`.
    static EfetGestRecordSet create(QObject* owner);
    // The field list its packets carry.
    static FieldDefs fieldDefs();
};
