#include "ModuleLoader.h"

#include "Exception.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

using EntryPoint = void (*)();
using RequirementsList = const char* (*)();

template <typename Function> Function resolve(QLibrary& module, const char* symbol)
{
    auto function = reinterpret_cast<Function>(module.resolve(symbol));
    if (!function)
        throw Exception(QStringLiteral("O módulo %1 não exporta %2.")
                            .arg(QFileInfo(module.fileName()).baseName(), QString::fromLatin1(symbol)));
    return function;
}

} // namespace

ModuleLoader::ModuleLoader(QString directory) : directory_(std::move(directory)) {}

// QLibrary's destructor leaves the library loaded, which is what we want.
ModuleLoader::~ModuleLoader() = default;

QStringList ModuleLoader::hostPackages()
{
    // _rtl, _vcl, _db, _frm and _kit are linked into the host; _lib, _ger and _qr belong to parts of
    // the larger application that no screen here uses, and stand empty.
    return {QStringLiteral("_rtl"), QStringLiteral("_vcl"), QStringLiteral("_db"),  QStringLiteral("_frm"),
            QStringLiteral("_kit"), QStringLiteral("_lib"), QStringLiteral("_ger"), QStringLiteral("_qr")};
}

void ModuleLoader::open(const QString& moduleName)
{
    QLibrary& module = load(moduleName);
    resolve<EntryPoint>(module, "IniProc")();
}

QLibrary& ModuleLoader::load(const QString& moduleName)
{
    if (const auto found = loaded_.find(moduleName); found != loaded_.end())
        return *found->second;
    auto module = std::make_unique<QLibrary>(QDir(directory_).filePath(moduleName));
    if (!module->load())
        throw Exception(QStringLiteral("Não foi possível carregar o módulo %1: %2")
                            .arg(moduleName, module->errorString()));
    checkRequirements(*module);
    return *loaded_.emplace(moduleName, std::move(module)).first->second;
}

void ModuleLoader::checkRequirements(QLibrary& module)
{
    const QString required = QString::fromLatin1(resolve<RequirementsList>(module, "RequiredPackages")());
    const QStringList provided = hostPackages();
    for (const QString& package : required.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!provided.contains(package))
            throw Exception(QStringLiteral("O módulo %1 requer o pacote %2, que este host não tem.")
                                .arg(QFileInfo(module.fileName()).baseName(), package));
}
