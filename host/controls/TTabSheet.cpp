#include "TTabSheet.h"

#include "TPageControl.h"

TTabSheet::TTabSheet(TPageControl* pageControl) : QWidget(pageControl), pageControl_(pageControl)
{
    pageControl_->addSheet(this);
}

void TTabSheet::SetCaption(const QString& caption)
{
    caption_ = caption;
    pageControl_->sheetChanged(this);
}

void TTabSheet::SetTabVisible(bool visible)
{
    tabVisible_ = visible;
    pageControl_->sheetChanged(this);
}
