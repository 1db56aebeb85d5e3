#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <optional>

// The host's command line. It also answers --help and --version, and needs no QCoreApplication for
// that: they must work where there is no display, before the QApplication exists. The help is in
// Portuguese, as every text of the host.
class HostCommandLine {
public:
    struct Options {
        QString openModule;   // --open
        QString settingsFile; // --settings
        QString login;        // --login
    };

    HostCommandLine();

    // 0 when `arguments` ask for help or the version, printed on stdout; nothing when the host is to
    // start.
    std::optional<int> answered(const QStringList& arguments);
    // The arguments QApplication left; false, with the reason on stderr, for an unknown option.
    bool read(const QStringList& arguments);
    Options options() const;

private:
    // Qt's own help is written in English whatever the locale: the host writes its own.
    QString helpText() const;

    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    QCommandLineOption open_;
    QCommandLineOption settings_;
    QCommandLineOption login_;
};
