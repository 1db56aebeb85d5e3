#pragma once

#include "TEvent.h"
#include "host_controls_export.h"

#include <QAction>
#include <memory>

class QMenu;

// A menu entry. The caption "-" makes a separator line; '&' marks the accelerator. An entry given entries
// of its own (Add) opens them as a submenu. Click() runs OnClick as choosing the entry does.
class HOST_CONTROLS_EXPORT TMenuItem : public QAction {
    Q_OBJECT

public:
    explicit TMenuItem(QObject* parent = nullptr);
    ~TMenuItem() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    void Add(TMenuItem* item);
    int Count() const;
    TMenuItem* Items(int index) const;

    void Click();
    TEvent<QObject*> OnClick;

private:
    QString caption_;
    std::unique_ptr<QMenu> submenu_;
};
