#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// What the host sets up once its QApplication exists: the names its dialogs carry and Qt's own texts
// (dialog buttons, the MDI window menu, the calendar, the edits' context menus) in the language of
// `locale`, from the translations the system ships for Qt. Without them Qt's texts stay in English.
// The translation is removed when this object goes.
class HostStartup {
public:
    explicit HostStartup(const QLocale& locale);
    ~HostStartup();
    HostStartup(const HostStartup&) = delete;
    HostStartup& operator=(const HostStartup&) = delete;

    // The application's title: the main window's and every dialog's.
    static QString Title();
    // Whether Qt's texts were found for the locale.
    bool Translated() const { return translated_; }

private:
    QTranslator qtTexts_;
    bool translated_ = false;
};
