#include "TPageControl.h"

#include "TTabSheet.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), pages_(new QStackedWidget(this))
{
    setFocusPolicy(Qt::NoFocus);
    tabs_->setFocusPolicy(Qt::NoFocus);
    pages_->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(pages_, 1);
    connect(tabs_, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
}

TTabSheet* TPageControl::ActivePage() const
{
    return qobject_cast<TTabSheet*>(pages_->currentWidget());
}

void TPageControl::SetActivePage(TTabSheet* sheet)
{
    const int index = pages_->indexOf(sheet);
    if (index < 0)
        return;
    pages_->setCurrentIndex(index);
    tabs_->setCurrentIndex(index);
}

int TPageControl::PageCount() const
{
    return pages_->count();
}

TTabSheet* TPageControl::Pages(int index) const
{
    return qobject_cast<TTabSheet*>(pages_->widget(index));
}

void TPageControl::addSheet(TTabSheet* sheet)
{
    pages_->addWidget(sheet);
    tabs_->addTab(sheet->Caption());
    sheetChanged(sheet);
}

void TPageControl::sheetChanged(TTabSheet* sheet)
{
    const int index = pages_->indexOf(sheet);
    if (index < 0)
        return;
    tabs_->setTabText(index, sheet->Caption());
    tabs_->setTabVisible(index, sheet->TabVisible());
    bool anyTab = false;
    for (int i = 0; i < tabs_->count(); ++i)
        anyTab = anyTab || tabs_->isTabVisible(i);
    tabs_->setVisible(anyTab);
}
