#include "TMainMenu.h"

#include "AlignLayout.h"
#include "TMenuItem.h"

TMainMenu::TMainMenu(QWidget* form) : QMenuBar(form)
{
    AlignLayout::of(form)->setMenuBar(this);
}

void TMainMenu::Add(TMenuItem* item)
{
    addAction(item);
}

TMenuItem* TMainMenu::Items(int index) const
{
    return qobject_cast<TMenuItem*>(actions().value(index));
}
