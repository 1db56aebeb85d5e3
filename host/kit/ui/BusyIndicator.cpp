#include "BusyIndicator.h"

#include "Application.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int Spokes = 12;
constexpr int SpinnerSize = 32;
constexpr int Margin = 14;
constexpr int IntervalMs = 80;

} // namespace

BusyIndicator::BusyIndicator(QWidget* over, const QString& text) : QWidget(over), text_(text)
{
    setObjectName(QStringLiteral("BusyIndicator"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(text);
    if (!over)
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::WindowDoesNotAcceptFocus);
    else
        over->installEventFilter(this);
    timer_.setInterval(IntervalMs);
    connect(&timer_, &QTimer::timeout, this,
            [this] { Application::instance().Guard([this] { advance(); }); });
    timer_.start();
    centre();
}

BusyIndicator::BusyIndicator(QWidget* over, const QString& waitingFor, int showAfterMs)
    : BusyIndicator(over, waitingFor)
{
    waitingFor_ = waitingFor;
    showAfterMs_ = showAfterMs;
    waited_.start();
    hide();
}

void BusyIndicator::countWait()
{
    const qint64 ms = waited_.elapsed();
    if (ms < showAfterMs_)
        return;
    // Non-breaking: the figure and its unit stay on one line.
    const QString counted = QStringLiteral("%1 %2\u00A0s").arg(waitingFor_).arg(ms / 1000);
    if (counted != text_)
        setText(counted);
    if (!isVisible()) {
        show();
        raise();
    }
}

void BusyIndicator::setText(const QString& text)
{
    text_ = text;
    setAccessibleName(text);
    centre();
    update();
}

void BusyIndicator::advance()
{
    frame_ = (frame_ + 1) % Spokes;
    if (showAfterMs_ >= 0)
        countWait();
    update();
}

void BusyIndicator::centre()
{
    const QFontMetrics metrics(font());
    const QSize size(qMax(metrics.horizontalAdvance(text_) + 2 * Margin, 180),
                     SpinnerSize + metrics.height() + 3 * Margin);
    resize(size);
    const QRect area = parentWidget() ? parentWidget()->rect()
                       : QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(QPoint(), size);
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool BusyIndicator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Application::instance().Guard([this] { centre(); });
    return QWidget::eventFilter(watched, event);
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);

    // Spokes fading behind the leading one.
    const QPointF hub(width() / 2.0, Margin + SpinnerSize / 2.0);
    QColor ink = palette().color(QPalette::Highlight);
    for (int i = 0; i < Spokes; ++i) {
        const int age = (frame_ - i + Spokes) % Spokes;
        ink.setAlphaF(1.0 - age / double(Spokes));
        painter.save();
        painter.translate(hub);
        painter.rotate(i * 360.0 / Spokes);
        painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -SpinnerSize / 4.0), QPointF(0, -SpinnerSize / 2.0));
        painter.restore();
    }

    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textArea(0, Margin * 2 + SpinnerSize, width(), height() - Margin * 2 - SpinnerSize);
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, text_);
}
