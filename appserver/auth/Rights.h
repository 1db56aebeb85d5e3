#pragma once

#include "Account.h"

#include <QStringList>
#include <optional>

// The one rule of who may do what, applied by every remote method once it has read its arguments and
// before it reads or writes anything. A branch not granted comes first: its message names it.
namespace Rights {

// What a call touches: every branch whose lines it reads or changes (empty codes are ignored), and
// whether it changes lines.
struct Reach {
    QStringList branches;
    bool changes = false;
};

// Throws Exception (answered as -32000) when `account` may not do what `reach` says. No account: the database has
// none yet, and the shared token let the call in with every right.
void require(const std::optional<Account>& account, const Reach& reach);

} // namespace Rights
