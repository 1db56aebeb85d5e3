#pragma once

#include "TEvent.h"
#include "host_db_export.h"

#include <QObject>
#include <memory>

namespace HandlerBinding {

// Index of the method `name` of `receiver` taking `argumentCount` arguments, most derived class first.
// Throws Exception naming the receiver and the handler when there is none: a screen whose wiring names
// a handler it lacks fails when it is created, not when the event first happens.
HOST_DB_EXPORT int methodIndex(const QObject* receiver, const char* name, int argumentCount);

} // namespace HandlerBinding

// Binds `event` to the handler called `handlerName` on `receiver`, resolved by name through the
// meta-object. The call goes straight into the receiver's generated dispatch, so a handler's error
// reaches whoever raised the event.
template <typename... Args>
void BindHandler(TEvent<Args...>& event, QObject* receiver, const char* handlerName)
{
    const int index = HandlerBinding::methodIndex(receiver, handlerName, int(sizeof...(Args)));
    event = [receiver, index](Args... args) {
        void* argv[] = {nullptr, const_cast<void*>(static_cast<const void*>(std::addressof(args)))...};
        receiver->qt_metacall(QMetaObject::InvokeMetaMethod, index, argv);
    };
}
