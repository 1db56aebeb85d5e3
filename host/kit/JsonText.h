#pragma once

#include <QByteArray>
#include <QStringView>

// Appends `text` as a JSON string literal (UTF-8, quoted and escaped).
void appendJsonString(QByteArray& out, QStringView text);
