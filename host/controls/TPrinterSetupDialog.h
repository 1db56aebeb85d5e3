#pragma once

#include "host_controls_export.h"

#include <QObject>

// The printer set-up component: Execute() shows the page and printer settings.
class HOST_CONTROLS_EXPORT TPrinterSetupDialog : public QObject {
    Q_OBJECT

public:
    explicit TPrinterSetupDialog(QObject* parent = nullptr);
    bool Execute();
};
