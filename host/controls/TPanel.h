#pragma once

#include "ControlAlign.h"
#include "TEvent.h"
#include "host_controls_export.h"

#include <QFrame>

class FocusBoundary;

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A container with an outer bevel and an optional centred caption. OnEnter and OnExit run when the
// keyboard focus comes into the panel from outside and leaves it for a control outside; an error from
// OnExit keeps the focus inside.
class HOST_CONTROLS_EXPORT TPanel : public QFrame {
    Q_OBJECT

public:
    explicit TPanel(QWidget* parent = nullptr);
    ~TPanel() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    void SetAlign(TAlign align) { ControlAlign::Set(this, align); }
    void SetColor(const QColor& color);
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

    TEvent<QObject*> OnEnter;
    TEvent<QObject*> OnExit;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    FocusBoundary* boundary_;
};
