#pragma once

#include "med00418_export.h"

#include <QString>

class TfrmMediEfeti;

// Module state, visible to the host. frmMediEfeti is meaningful only while boStCriado is true.
extern MED00418_EXPORT TfrmMediEfeti* frmMediEfeti;
extern MED00418_EXPORT bool boStCriado;
// The reservation obtained when the screen is created; import and close hand it back by reference.
extern MED00418_EXPORT QString stPrxNr;

// Opens the screen, or restores and re-shows the one already open.
MED00418_EXPORT void CriaMediEfeti();

extern "C" {
// The host's entry into the module.
MED00418_EXPORT void IniProc();
// The host packages this module needs, separated by ';': the host loads them before calling IniProc.
MED00418_EXPORT const char* RequiredPackages();
}
