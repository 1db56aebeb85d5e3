#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class QLibrary;

// Loads screen modules from the host's library folder and enters them through IniProc. A module stays
// loaded for the life of the process: widgets it made may outlive any one screen.
class ModuleLoader {
public:
    explicit ModuleLoader(QString directory);
    ~ModuleLoader();

    // Loads `moduleName` (e.g. "Pkg_med00418") once, checks the host packages it requires, calls IniProc.
    // Raises Exception with a clear message when the module or one of its packages is missing.
    void open(const QString& moduleName);

    // The packages this host provides to modules.
    static QStringList hostPackages();

private:
    QLibrary& load(const QString& moduleName);
    static void checkRequirements(QLibrary& module);

    QString directory_;
    std::map<QString, std::unique_ptr<QLibrary>> loaded_;
};
