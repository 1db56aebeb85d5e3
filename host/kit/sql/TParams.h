#pragma once

#include "TParam.h"
#include "host_kit_export.h"

#include <QStringList>
#include <memory>
#include <vector>

// A query's parameters, in their declared order. Each parameter keeps its address while it is
// declared, so callers may hold on to it.
class HOST_KIT_EXPORT TParams {
public:
    int Count() const { return int(params_.size()); }
    TParam& operator[](int index) const { return *params_[index]; }
    // By name, any case; nullptr when there is none.
    TParam* FindParam(QStringView name) const;
    QStringList Names() const;

    // Declares exactly `names`, in that order: existing parameters keep their values, new ones are NULL.
    void Declare(const QStringList& names);

private:
    std::vector<std::unique_ptr<TParam>> params_;
};
