#pragma once

#include "FieldDef.h"

class QObject;
class TClientDataSet;

// cdsHistEfetGest: the changes made to one measurement line, newest first. QUANDO is the moment in UTC
// as ISO text; TIPO is "insert", "update", "delete" or "import"; the values before and after are null
// where the change had none (no before for an insert or import, no after for a delete).
struct HistEfetGestRecordSet {
    TClientDataSet* cdsHistEfetGest = nullptr;

    // Builds the closed record set and its fields as children of `owner`.
    static HistEfetGestRecordSet create(QObject* owner);
    // The field list its packets carry.
    static FieldDefs fieldDefs();
};
