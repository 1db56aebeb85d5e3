#include "HandlerBinding.h"

#include "Exception.h"

#include <QMetaMethod>

int HandlerBinding::methodIndex(const QObject* receiver, const char* name, int argumentCount)
{
    const QMetaObject* meta = receiver->metaObject();
    const QByteArray wanted(name);
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.name() == wanted && method.parameterCount() == argumentCount)
            return i;
    }
    throw Exception(QStringLiteral("O manipulador '%1' com %2 argumento(s) não existe em '%3' (%4).")
                        .arg(QString::fromLatin1(name))
                        .arg(argumentCount)
                        .arg(receiver->objectName(), QString::fromLatin1(meta->className())));
}
