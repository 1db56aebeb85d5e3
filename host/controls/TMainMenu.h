#pragma once

#include "host_controls_export.h"

#include <QMenuBar>

class TMenuItem;

// The menu bar of a form, kept above everything aligned in it.
class HOST_CONTROLS_EXPORT TMainMenu : public QMenuBar {
    Q_OBJECT

public:
    explicit TMainMenu(QWidget* form);

    void Add(TMenuItem* item);
    int Count() const { return int(actions().size()); }
    TMenuItem* Items(int index) const;
};
