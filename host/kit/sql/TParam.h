#pragma once

#include "host_kit_export.h"

#include <QString>
#include <QVariant>
#include <utility>

// A named query parameter of kind string. A parameter without a value is NULL.
class HOST_KIT_EXPORT TParam {
public:
    explicit TParam(QString name) : name_(std::move(name)) {}

    const QString& Name() const { return name_; }

    void SetAsString(const QString& text) { value_ = text; }
    // NULL for the database: "every row" to the lookups.
    void Clear() { value_.clear(); }
    bool IsNull() const { return !value_.isValid(); }
    // Empty when NULL.
    QString AsString() const { return value_.toString(); }
    // The value to bind: a typed NULL when there is none, as Qt's drivers expect.
    QVariant BindValue() const;

private:
    QString name_;
    QVariant value_;
};
