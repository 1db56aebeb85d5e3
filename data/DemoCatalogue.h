#pragma once

#include <QList>
#include <QString>

// The branches and services a first run starts with, the same in the application server's database
// and in the host's local one, so that every demo branch and service passes the lookups.
namespace DemoCatalogue {

struct Service {
    QString code;
    QString name;
};

struct Branch {
    QString code;
    QString name;
    QList<Service> services;
};

QList<Branch> branches();

} // namespace DemoCatalogue
