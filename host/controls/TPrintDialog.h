#pragma once

#include "host_controls_export.h"

#include <QObject>

// The print dialog component: Execute() asks where to print; true when the user confirmed.
class HOST_CONTROLS_EXPORT TPrintDialog : public QObject {
    Q_OBJECT

public:
    explicit TPrintDialog(QObject* parent = nullptr);
    bool Execute();
};
