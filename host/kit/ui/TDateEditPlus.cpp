#include "TDateEditPlus.h"

#include "Application.h"
#include "Colors.h"
#include "DateText.h"
#include "EConvertError.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int ButtonWidth = 20;
constexpr int WeekdayGap = 6;

// A small calendar sheet, until the screen gives its own picture.
QPixmap calendarGlyph()
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setPen(Qt::darkGray);
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(2, 3, 12, 3, QColor(0, 0, 128));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col)
            painter.fillRect(3 + col * 3, 7 + row * 2, 2, 1, Qt::darkGray);
    }
    return glyph;
}

} // namespace

TDateEditPlus::TDateEditPlus(QWidget* parent)
    : TMaskEdit(parent),
      button_(new QToolButton(this)), weekdays_{QStringLiteral("Domingo"), QStringLiteral("Segunda"),
                                                QStringLiteral("Terça"),   QStringLiteral("Quarta"),
                                                QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                                                QStringLiteral("Sábado")},
      validColor_(Qt::blue)
{
    SetEditMask(QStringLiteral("99/99/9999;1; "));
    setTextMargins(0, 0, ButtonWidth, 0);
    button_->setObjectName(QStringLiteral("calendarButton"));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->setAutoRaise(true);
    button_->setToolTip(QStringLiteral("Calendário (F4)"));
    button_->setAccessibleName(QStringLiteral("Calendário"));
    SetButtonBitmap(calendarGlyph());
    connect(button_, &QToolButton::clicked, this,
            [this] { Application::instance().Guard([this] { DropDown(); }); });
    connect(this, &QLineEdit::textChanged, this,
            [this] { Application::instance().Guard([this] { refreshLook(); }); });
    refreshLook();
}

QString TDateEditPlus::Text() const
{
    const QString typed = TMaskEdit::Text();
    return DateText::isBlank(typed) ? QString() : typed;
}

void TDateEditPlus::SetText(const QString& text)
{
    if (DateText::isBlank(text)) {
        clear();
        return;
    }
    const QDate date = DateText::parse(text);
    TMaskEdit::SetText(date.isValid() ? DateText::format(date) : text);
}

QDate TDateEditPlus::typedDate() const
{
    const QString text = Text();
    return text.isEmpty() ? QDate() : DateText::parse(text);
}

TDateTime TDateEditPlus::GetDate() const
{
    const QString text = Text();
    if (text.isEmpty())
        throw EConvertError(QStringLiteral("Data não informada."));
    const QDate date = DateText::parse(text);
    if (!date.isValid())
        DateText::raiseInvalid(text);
    if (!saveTime_ || !time_.isValid())
        return TDateTime::fromDate(date);
    return TDateTime::fromDateTime(QDateTime(date, time_));
}

void TDateEditPlus::SetDate(TDateTime value)
{
    const QDateTime dateTime = value.toDateTime();
    time_ = dateTime.time();
    SetText(DateText::format(dateTime.date()));
}

TDateEditPlus::~TDateEditPlus()
{
    delete weekday_.data();
}

void TDateEditPlus::CheckValidDate() const
{
    const QString text = Text();
    if (!text.isEmpty() && !DateText::parse(text).isValid())
        DateText::raiseInvalid(text);
}

void TDateEditPlus::SetNomeSemana(const QStringList& names)
{
    if (names.size() != 7)
        throw Exception(QStringLiteral("São necessários sete nomes de dias da semana."));
    weekdays_ = names;
    refreshLook();
}

QString TDateEditPlus::WeekdayName() const
{
    const QDate date = typedDate();
    return date.isValid() ? weekdays_.at(date.dayOfWeek() % 7) : QString(); // Qt counts Monday as 1
}

void TDateEditPlus::SetValidDateColor(const QColor& color)
{
    validColor_ = color;
    refreshLook();
}

QColor TDateEditPlus::Color() const
{
    return palette().color(QPalette::Base);
}

void TDateEditPlus::SetButtonBitmap(const QPixmap& picture)
{
    buttonBitmap_ = picture;
    button_->setIcon(QIcon(picture));
}

void TDateEditPlus::DropDown()
{
    if (!calendar_) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setObjectName(QStringLiteral("calendar"));
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setGridVisible(true);
        calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendar_->setFirstDayOfWeek(Qt::Sunday);
        connect(calendar_, &QCalendarWidget::activated, this,
                [this](QDate date) { Application::instance().Guard([this, date] { calendarChose(date); }); });
        connect(calendar_, &QCalendarWidget::clicked, this,
                [this](QDate date) { Application::instance().Guard([this, date] { calendarChose(date); }); });
    }
    const QDate typed = typedDate();
    calendar_->setSelectedDate(typed.isValid() ? typed : QDate::currentDate());
    calendar_->adjustSize();
    calendar_->move(mapToGlobal(rect().bottomLeft()));
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

QCalendarWidget* TDateEditPlus::Calendar() const
{
    return calendar_ && calendar_->isVisible() ? calendar_ : nullptr;
}

void TDateEditPlus::calendarChose(QDate date)
{
    calendar_->hide();
    SetText(DateText::format(date));
    setFocus(Qt::PopupFocusReason);
}

void TDateEditPlus::refreshLook()
{
    QPalette colours = palette();
    const QDate date = typedDate();
    // The valid date's own colour, made readable on the field whatever the desktop's palette.
    colours.setColor(QPalette::Text, date.isValid()
                                         ? Colors::Readable(validColor_, colours.color(QPalette::Base))
                                         : QPalette().color(QPalette::Text));
    setPalette(colours);
    setToolTip(WeekdayName());
    placeWeekday();
}

void TDateEditPlus::keyPressEvent(QKeyEvent* event)
{
    const bool dropKey = event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier;
    const bool altDown =
        event->key() == Qt::Key_Down && (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
    if (!dropKey && !altDown) {
        TMaskEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    Application::instance().Guard([this] { DropDown(); });
}

bool TDateEditPlus::event(QEvent* event)
{
    const bool handled = TMaskEdit::event(event);
    switch (event->type()) {
    case QEvent::Resize:
        Application::instance().Guard([this] { placeButton(); });
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::EnabledChange:
    case QEvent::ParentChange:
        Application::instance().Guard([this] { placeWeekday(); });
        break;
    default:
        break;
    }
    return handled;
}

void TDateEditPlus::placeButton()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    button_->setGeometry(width() - frame - ButtonWidth, frame, ButtonWidth, height() - 2 * frame);
}

void TDateEditPlus::placeWeekday()
{
    QWidget* const host = parentWidget();
    if (!host || isWindow()) {
        delete weekday_.data();
        return;
    }
    if (!weekday_ || weekday_->parentWidget() != host) {
        delete weekday_.data();
        weekday_ = new QLabel(host); // a sibling, so it may stand outside the edit; deleted with it
        weekday_->setObjectName(QStringLiteral("weekday"));
        weekday_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const QString name = WeekdayName();
    QPalette colours = weekday_->palette();
    colours.setColor(QPalette::WindowText,
                     Colors::Readable(validColor_, host->palette().color(QPalette::Window)));
    weekday_->setPalette(colours);
    weekday_->setText(name);
    weekday_->adjustSize();
    weekday_->move(geometry().right() + 1 + WeekdayGap, y() + (height() - weekday_->height()) / 2);
    weekday_->setEnabled(isEnabled());
    weekday_->setVisible(!name.isEmpty() && !isHidden());
}
