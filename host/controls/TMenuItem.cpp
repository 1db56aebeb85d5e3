#include "TMenuItem.h"

#include "Application.h"

#include <QMenu>

TMenuItem::TMenuItem(QObject* parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { Application::instance().Guard([this] { Click(); }); });
}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetCaption(const QString& caption)
{
    caption_ = caption;
    setSeparator(caption == QLatin1String("-"));
    setText(caption);
    if (submenu_)
        submenu_->setTitle(caption);
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
