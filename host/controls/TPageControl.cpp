#include "TPageControl.h"

#include "TTabSheet.h"

#include <QTabBar>

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    tabBar()->setFocusPolicy(Qt::NoFocus);
}

TTabSheet* TPageControl::ActivePage() const
{
    return qobject_cast<TTabSheet*>(currentWidget());
}

void TPageControl::SetActivePage(TTabSheet* sheet)
{
    setCurrentWidget(sheet);
}

TTabSheet* TPageControl::Pages(int index) const
{
    return qobject_cast<TTabSheet*>(widget(index));
}

void TPageControl::sheetChanged(TTabSheet* sheet)
{
    const int index = indexOf(sheet);
    if (index < 0)
        return;
    QWidget* current = currentWidget();
    setTabText(index, sheet->Caption());
    setTabVisible(index, sheet->TabVisible());
    // Hiding the tab of the current page must not change the page shown.
    if (current)
        setCurrentWidget(current);
    bool anyTab = false;
    for (int i = 0; i < count(); ++i)
        anyTab = anyTab || isTabVisible(i);
    tabBar()->setVisible(anyTab);
}
