#pragma once

#include <QStringList>

// The screen's message catalogue: lines of key, bar, text, in their stored order.
QStringList mediEfetiMessageLines();
