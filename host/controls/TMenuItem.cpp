#include "TMenuItem.h"

#include "Application.h"

#include <QMenu>
#include <QRegularExpression>

TMenuItem::TMenuItem(QObject* parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Application::instance().Guard([this] { Click(); }); });
}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetCaption(const QString& caption)
{
    caption_ = caption;
    setSeparator(caption == QLatin1String("-"));
    updateTexts();
    if (submenu_)
        submenu_->setTitle(caption);
}

void TMenuItem::SetShortCut(const QKeySequence& key)
{
    shortCut_ = key;
    updateTexts();
}

void TMenuItem::updateTexts()
{
    if (isSeparator()) {
        // Some styles draw a separator's text as a heading: a lone "-" would show.
        setText(QString());
        setToolTip(QString());
        return;
    }
    // QMenu shows what follows a tab at the right, where menus show keys.
    const QString key = shortCut_.toString(QKeySequence::NativeText);
    setText(key.isEmpty() ? caption_ : caption_ + QLatin1Char('\t') + key);
    QString plain = caption_;
    plain.remove(QRegularExpression(QStringLiteral("&(?!&)"))); // "&&" stays one "&"
    setToolTip(key.isEmpty() ? plain : QStringLiteral("%1 (%2)").arg(plain, key));
}

void TMenuItem::Add(TMenuItem* item)
{
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>(caption_);
        setMenu(submenu_.get());
    }
    submenu_->addAction(item);
}

int TMenuItem::Count() const
{
    return submenu_ ? int(submenu_->actions().size()) : 0;
}

TMenuItem* TMenuItem::Items(int index) const
{
    return submenu_ ? qobject_cast<TMenuItem*>(submenu_->actions().value(index)) : nullptr;
}

void TMenuItem::Click()
{
    OnClick(this);
}
