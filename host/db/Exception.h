#pragma once

#include "host_db_export.h"

#include <QByteArray>
#include <QString>
#include <exception>

// Base of every error raised inside the system. The message is what the user reads.
class HOST_DB_EXPORT Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};
