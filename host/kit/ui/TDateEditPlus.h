#pragma once

#include "TDateTime.h"
#include "TMaskEdit.h"
#include "host_kit_export.h"

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTime>

class QCalendarWidget;
class QLabel;
class QToolButton;

// Date entry: "dd/mm/yyyy" typed over a mask, or picked from a calendar that drops down from the
// button at the right (also with F4 or Alt+Down). A valid date is drawn in ValidDateColor, and its
// weekday name stands just right of the edit (a label in the same parent) and in the tooltip. Enter,
// exit and change are the masked edit's; the calendar coming and going is neither an exit nor an enter.
class HOST_KIT_EXPORT TDateEditPlus : public TMaskEdit {
    Q_OBJECT

public:
    explicit TDateEditPlus(QWidget* parent = nullptr);
    ~TDateEditPlus() override;

    // The typed text without blanks ("01/02/2026", "7/2/26"); empty while no digit is typed.
    QString Text() const;
    // A text that reads as a date is shown as "dd/mm/yyyy"; a blank one empties the edit.
    void SetText(const QString& text);

    // The date typed; with SaveTime, at the time of day last given to SetDate. An empty or invalid
    // text raises EConvertError.
    TDateTime GetDate() const;
    void SetDate(TDateTime value);
    // Raises EConvertError ("'31/02/2026' não é uma data válida.") for a text that is not a date.
    // An empty text passes: whether a date is required is the screen's rule.
    void CheckValidDate() const;

    // Seven names, Sunday first.
    QStringList NomeSemana() const { return weekdays_; }
    void SetNomeSemana(const QStringList& names);
    // The weekday name of the date typed; empty while the text is not a valid date.
    QString WeekdayName() const;

    QColor ValidDateColor() const { return validColor_; }
    void SetValidDateColor(const QColor& color);
    QColor Color() const;
    // Without it the value is a date only.
    bool SaveTime() const { return saveTime_; }
    void SetSaveTime(bool saveTime) { saveTime_ = saveTime; }
    QPixmap ButtonBitmap() const { return buttonBitmap_; }
    void SetButtonBitmap(const QPixmap& picture);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // Drops the calendar down, on the date typed or on today.
    void DropDown();
    // The calendar while it is open, else null.
    QCalendarWidget* Calendar() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QDate typedDate() const;
    void refreshLook();
    void placeButton();
    void placeWeekday();
    void calendarChose(QDate date);

    QToolButton* button_;
    QCalendarWidget* calendar_ = nullptr;
    QPointer<QLabel> weekday_;
    QStringList weekdays_;
    QColor validColor_;
    QPixmap buttonBitmap_;
    QTime time_;
    bool saveTime_ = false;
};
