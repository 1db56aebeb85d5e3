#pragma once

#include "FieldDef.h"

// Where each field of cdsEfetGest sits in a packet's lines, looked up by name once.
struct EfetGestLayout {
    FieldDefs fields;
    int branch = -1;
    int date = -1;
    int service = -1;
    int staff = -1;
    int unitPrice = -1;
    int total = -1;
    int serviceName = -1;

    // Throws Exception when the record set lacks one of the fields the server stores.
    static const EfetGestLayout& instance();
};
