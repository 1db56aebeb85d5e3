#pragma once

#include "host_kit_export.h"

#include <QString>
#include <QStringList>

// A SQL text whose `:NAME` parameters became positional `?` markers, so that every driver binds them
// the same way and no name can go unbound. Quoted text, comments and `::` casts are left alone.
struct HOST_KIT_EXPORT PositionalSql {
    QString text;
    // One name per marker, in the order of the markers.
    QStringList occurrences;

    static PositionalSql fromNamed(const QString& sql);
    // Each name once, in order of first appearance.
    QStringList names() const;
};
