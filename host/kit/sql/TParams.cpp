#include "TParams.h"

#include <algorithm>

TParam* TParams::FindParam(QStringView name) const
{
    const auto match = std::ranges::find_if(
        params_, [&](const auto& param) { return param->Name().compare(name, Qt::CaseInsensitive) == 0; });
    return match == params_.end() ? nullptr : match->get();
}

QStringList TParams::Names() const
{
    QStringList names;
    for (const auto& param : params_)
        names.append(param->Name());
    return names;
}

void TParams::Declare(const QStringList& names)
{
    std::vector<std::unique_ptr<TParam>> declared;
    declared.reserve(names.size());
    for (const QString& name : names) {
        const auto kept = std::ranges::find_if(params_, [&](const auto& param) {
            return param && param->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        declared.push_back(kept != params_.end() ? std::move(*kept) : std::make_unique<TParam>(name));
    }
    params_ = std::move(declared);
}
