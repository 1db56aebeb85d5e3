#pragma once

#include "host_controls_export.h"

#include <QString>
#include <Qt>

class TColumn;

// The title of a grid column: a caption of its own or, by default, the field's display label.
class HOST_CONTROLS_EXPORT TColumnTitle {
public:
    explicit TColumnTitle(TColumn& column) : column_(column) {}

    QString Caption() const;
    void SetCaption(const QString& caption);
    bool HasCaption() const { return hasCaption_; }
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);

private:
    TColumn& column_;
    QString caption_;
    bool hasCaption_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};
