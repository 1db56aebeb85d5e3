#pragma once

#include "TEvent.h"
#include "host_controls_export.h"

#include <QAction>
#include <QKeySequence>
#include <memory>

class QMenu;

// A menu entry. The caption "-" makes a separator line; '&' marks the accelerator. An entry given entries
// of its own (Add) opens them as a submenu. Click() runs OnClick as choosing the entry does.
// ShortCut names the key that does the same in the screen: the entry shows it beside its caption and in
// its tooltip, but leaves the key to the control that handles it, so a key never acts twice.
class HOST_CONTROLS_EXPORT TMenuItem : public QAction {
    Q_OBJECT

public:
    explicit TMenuItem(QObject* parent = nullptr);
    ~TMenuItem() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QKeySequence ShortCut() const { return shortCut_; }
    void SetShortCut(const QKeySequence& key);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    void Add(TMenuItem* item);
    int Count() const;
    TMenuItem* Items(int index) const;

    void Click();
    TEvent<QObject*> OnClick;

private:
    void updateTexts();

    QString caption_;
    QKeySequence shortCut_;
    std::unique_ptr<QMenu> submenu_;
};
