#pragma once

#include "host_kit_export.h"

#include <QString>

class TDataSource;

// The search list of the host: a modal choice of one line of a data source.
namespace Pesquisa {

// `text` holds the title and the text shown for an empty list, joined by '|' ("Filial|Não há filial
// cadastrada."). True when the user chose a line; the data set then stands on it. With `reportEmpty`
// false an empty list returns false without a message. The first flag is kept for the callers'
// sake and changes nothing.
HOST_KIT_EXPORT bool Pesquisar(TDataSource& source, const QString& text, bool, bool reportEmpty);

} // namespace Pesquisa
