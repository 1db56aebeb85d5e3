#pragma once

#include "FieldDef.h"

class QObject;
class TClientDataSet;
class TStringField;

// cdsVerifServ: the lines already registered with one service for a branch and date; only its
// emptiness is ever asked.
struct VerifServRecordSet {
    TClientDataSet* cdsVerifServ = nullptr;
    TStringField* cdsVerifServUSR_CDSERVFILI = nullptr;

    static VerifServRecordSet create(QObject* owner);
    static FieldDefs fieldDefs();
};
