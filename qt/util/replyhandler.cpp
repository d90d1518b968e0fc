#include "util/replyhandler.h"
#include "data/io/trace.h"

#include <QNetworkReply>

ReplyHandler::ReplyHandler(QNetworkReply* reply_, const QString& name_, int timeout_, QObject* parent)
    : QObject(parent), name(name_), timeout(timeout_), reply(reply_)
{
    if (reply) {
        connect(reply, &QNetworkReply::downloadProgress, this, &ReplyHandler::onDownloadProgress);
        connect(reply, &QNetworkReply::uploadProgress, this, &ReplyHandler::onUploadProgress);
        connect(reply, &QNetworkReply::finished, this, &ReplyHandler::onRequestFinished);
    }
    connect(&timer, &QTimer::timeout, this, &ReplyHandler::onRequestTimeout);
    timer.setSingleShot(true);
    timer.start(timeout);
}

ReplyHandler::~ReplyHandler()
{
    if (reply) {
        // Nothing of the reply may reach this object any more; its deletion is deferred.
        disconnect(reply, nullptr, this, nullptr);
        reply->deleteLater();
    }
    reply = nullptr;
    trace_debug().nospace().noquote() << name << ": ReplyHandler destroyed";
}

void ReplyHandler::onRequestTimeout()
{
    if (!reply)
        return;
    trace_debug().nospace().noquote() << name << ": HTTP request timed out";
    // The abort reports a last, empty download progress: that is no sign of life.
    disconnect(reply, &QNetworkReply::downloadProgress, this, &ReplyHandler::onDownloadProgress);
    disconnect(reply, &QNetworkReply::uploadProgress, this, &ReplyHandler::onUploadProgress);
    // The abort makes the reply finish with OperationCanceledError: onRequestFinished reports failure().
    reply->abort();
}

void ReplyHandler::onDownloadProgress(qint64 received, qint64 total)
{
    trace_debug().nospace().noquote() << name << ": HTTP download progress";
    if (reply && (received > maxBody || total > maxBody)) {
        tooLarge = true;
        timer.stop();
        disconnect(reply, &QNetworkReply::downloadProgress, this, &ReplyHandler::onDownloadProgress);
        reply->abort(); // finishes with OperationCanceledError: onRequestFinished reports failure()
        return;
    }
    timer.start(timeout);
}

void ReplyHandler::onUploadProgress(qint64, qint64)
{
    trace_debug().nospace().noquote() << name << ": HTTP upload progress";
    timer.start(timeout);
}

void ReplyHandler::onRequestFinished()
{
    if (timer.isActive())
        timer.stop();
    if (!reply) {
        trace_debug().nospace().noquote() << name << ": HTTP request failed: httpReply object is gone";
        return;
    }
    // Exactly one report: nothing of this reply (progress, a second finished) reaches us again.
    disconnect(reply, nullptr, this, nullptr);
    if (tooLarge || reply->bytesAvailable() > maxBody) {
        trace_debug().nospace().noquote() << name << ": HTTP request failed: answer larger than " << maxBody
                                          << " bytes";
        emit failure();
    } else if (reply->error() != QNetworkReply::NoError) {
        // The error text may carry the server's reason phrase: written quoted, so escaped.
        (trace_debug().nospace().noquote() << name << ": HTTP request failed: ").quote()
            << reply->errorString();
        emit failure();
    } else {
        trace_debug().nospace().noquote() << name << ": HTTP request was successful";
        const QByteArray body = reply->readAll();
        emit success(body);
    }
    deleteLater();
}
