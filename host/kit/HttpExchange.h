#pragma once

#include "HttpAnswer.h"

#include <QByteArray>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One HTTP request made synchronous for its caller: a local event loop waits for the answer, so the
// screen keeps painting while it takes no user input. An answer is held in memory whole, so one larger
// than `maxAnswerBytes` is cut off as soon as its length or its bytes show it. Never raises: the
// outcome says what happened.
class HttpExchange {
public:
    HttpExchange(QNetworkAccessManager& network, int timeoutMs, qint64 maxAnswerBytes)
        : network_(network), timeoutMs_(timeoutMs), maxAnswerBytes_(maxAnswerBytes)
    {}

    HttpAnswer get(const QNetworkRequest& request);
    HttpAnswer post(const QNetworkRequest& request, const QByteArray& body);

private:
    HttpAnswer wait(QNetworkReply* reply) const;

    QNetworkAccessManager& network_;
    int timeoutMs_;
    qint64 maxAnswerBytes_;
};
