#include "SqlFailure.h"

SqlFailure::SqlFailure(const QSqlError& error, const QString& statement)
    : Exception(QStringLiteral("Não foi possível concluir a operação no banco de dados.")), error_(error),
      detail_(
          QStringLiteral("%1 [%2] in: %3").arg(error.text(), error.nativeErrorCode(), statement.simplified()))
{}
