#pragma once

#include "TEvent.h"
#include "host_controls_export.h"

#include <QKeySequence>
#include <QPixmap>
#include <QToolButton>

// A flat command button that never takes the focus. Its glyph holds two images side by side, normal then
// disabled (ButtonGlyph). Click() runs OnClick as a click on it does.
class HOST_CONTROLS_EXPORT TButtonFlat : public QToolButton {
    Q_OBJECT

public:
    explicit TButtonFlat(QWidget* parent = nullptr);

    const QPixmap& Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph);
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    // The key that runs the same command; the tooltip names it after the hint.
    void SetShortCut(const QKeySequence& key);
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool flat) { setAutoRaise(flat); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

    void Click();
    TEvent<QObject*> OnClick;

private:
    void updateToolTip();

    QPixmap glyph_;
    QString hint_;
    QKeySequence shortCut_;
    bool showHint_ = true;
};
