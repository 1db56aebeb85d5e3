#pragma once

#include "host_kit_export.h"

#include <QObject>
#include <QStringList>

// A screen's message catalogue: lines "key|text". The object name is the component name.
class HOST_KIT_EXPORT TMessages : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)

public:
    explicit TMessages(QObject* parent = nullptr) : QObject(parent) {}

    const QStringList& Lines() const { return lines_; }
    void SetLines(const QStringList& lines) { lines_ = lines; }

    // The text of the line whose key is exactly `key`: everything after its first bar, further bars
    // included. An unknown key raises Exception.
    QString Msg(const QString& key) const;

private:
    QStringList lines_;
};
