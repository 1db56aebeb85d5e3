#pragma once

#include "host_controls_export.h"

#include <QWidget>

class TPageControl;

// A page of a TPageControl; it adds itself to the page control it is made for.
class HOST_CONTROLS_EXPORT TTabSheet : public QWidget {
    Q_OBJECT

public:
    explicit TTabSheet(TPageControl* pageControl);

    TPageControl* PageControl() const { return pageControl_; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool visible);

private:
    TPageControl* pageControl_;
    QString caption_;
    bool tabVisible_ = true;
};
