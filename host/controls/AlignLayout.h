#pragma once

#include "ControlAlign.h"
#include "host_controls_export.h"

#include <QLayout>
#include <QList>

// Lays out the aligned children of a container: all alTop ones from the top in the order they were
// aligned, then alBottom, alLeft, alRight, and alClient in the space that remains. Hidden controls take
// no space. A menu bar set with setMenuBar sits above everything.
class HOST_CONTROLS_EXPORT AlignLayout : public QLayout {
    Q_OBJECT

public:
    explicit AlignLayout(QWidget* parent);
    ~AlignLayout() override;

    // The container's AlignLayout, made on first use.
    static AlignLayout* of(QWidget* container);

    void setAlign(QWidget* control, TAlign align);
    TAlign alignOf(const QWidget* control) const;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QLayoutItem* item;
        TAlign align;
    };
    int indexOf(const QWidget* control) const;
    void place(TAlign align, QRect& space) const;

    QList<Entry> entries_;
};
