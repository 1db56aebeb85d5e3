#include "TButtonFlat.h"

#include "Application.h"
#include "ButtonGlyph.h"

TButtonFlat::TButtonFlat(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this,
            [this] { Application::instance().Guard([this] { Click(); }); });
}

void TButtonFlat::SetGlyph(const QPixmap& glyph)
{
    glyph_ = glyph;
    setIcon(ButtonGlyph::ToIcon(glyph));
    if (!glyph.isNull())
        setIconSize(QSize(glyph.height(), glyph.height()));
}

void TButtonFlat::SetHint(const QString& hint)
{
    hint_ = hint;
    // The glyph says nothing to a screen reader: the hint names the button, shown or not.
    setAccessibleName(hint);
    updateToolTip();
}

void TButtonFlat::SetShowHint(bool show)
{
    showHint_ = show;
    updateToolTip();
}

void TButtonFlat::SetShortCut(const QKeySequence& key)
{
    shortCut_ = key;
    updateToolTip();
}

void TButtonFlat::updateToolTip()
{
    const QString key = shortCut_.toString(QKeySequence::NativeText);
    if (!showHint_)
        setToolTip(QString());
    else
        setToolTip(key.isEmpty() ? hint_ : QStringLiteral("%1 (%2)").arg(hint_, key));
}

void TButtonFlat::Click()
{
    OnClick(this);
}
