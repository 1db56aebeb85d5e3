#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Non-blocking I/O on the descriptor of a connected TCP socket, for the quick exchange of a plain
// connection, beside QTcpSocket: its write enables and disables a write notifier (two event-loop
// wake-ups a call) and its wait reads into its own buffer first. Used only while QTcpSocket's buffers
// are empty, so the two never hold parts of one stream.
namespace PlainSocket {

// Bytes sent, possibly fewer than given; -1 when the connection failed.
qint64 send(qintptr descriptor, QByteArrayView bytes);
// Whether bytes, the close or an error came within `timeoutMs`.
bool waitReadable(qintptr descriptor, int timeoutMs);
// Bytes read; 0 once the peer closed; -1 on an error; -2 when none are there yet.
qint64 receive(qintptr descriptor, char* into, qint64 maxBytes);
// Open, with nothing sent by the peer waiting: a kept connection the server has not closed.
bool idle(qintptr descriptor);

} // namespace PlainSocket
