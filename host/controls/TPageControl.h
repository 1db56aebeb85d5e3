#pragma once

#include "ControlAlign.h"
#include "host_controls_export.h"

#include <QWidget>

class QStackedWidget;
class QTabBar;
class TTabSheet;

// Pages with tabs. A sheet whose tab is hidden is still shown when it is the active page; with no tab
// visible the tab bar goes away and the page stands alone. Not a tab stop itself.
class HOST_CONTROLS_EXPORT TPageControl : public QWidget {
    Q_OBJECT

public:
    explicit TPageControl(QWidget* parent = nullptr);

    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* sheet);
    int PageCount() const;
    TTabSheet* Pages(int index) const;
    QTabBar* TabBar() const { return tabs_; }
    void SetAlign(TAlign align) { ControlAlign::Set(this, align); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

private:
    friend class TTabSheet;
    void addSheet(TTabSheet* sheet);
    void sheetChanged(TTabSheet* sheet);

    QTabBar* tabs_;
    QStackedWidget* pages_;
};
