#include "util/replyhandler.h"

#include <QDebug>
#include <QNetworkReply>

ReplyHandler::ReplyHandler(QNetworkReply* reply_, const QString& name_, int timeout_, QObject* parent)
    : QObject(parent), name(name_), timeout(timeout_), reply(reply_)
{
    if (reply) {
        connect(reply, SIGNAL(downloadProgress(qint64, qint64)), this,
                SLOT(onDownloadProgress(qint64, qint64)));
        connect(reply, SIGNAL(uploadProgress(qint64, qint64)), this, SLOT(onUploadProgress(qint64, qint64)));
        connect(reply, SIGNAL(finished()), this, SLOT(onRequestFinished()));
    }
    connect(&timer, SIGNAL(timeout()), this, SLOT(onRequestTimeout()));
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
    qDebug().nospace().noquote() << name << ": ReplyHandler destroyed";
}

void ReplyHandler::onRequestTimeout()
{
    if (!reply)
        return;
    qDebug().nospace().noquote() << name << ": HTTP request timed out";
    // The abort reports a last, empty download progress: that is no sign of life.
    disconnect(reply, SIGNAL(downloadProgress(qint64, qint64)), this,
               SLOT(onDownloadProgress(qint64, qint64)));
    disconnect(reply, SIGNAL(uploadProgress(qint64, qint64)), this, SLOT(onUploadProgress(qint64, qint64)));
    // The abort makes the reply finish with OperationCanceledError: onRequestFinished reports failure().
    reply->abort();
}

void ReplyHandler::onDownloadProgress(qint64 received, qint64 total)
{
    qDebug().nospace().noquote() << name << ": HTTP download progress";
    if (reply && (received > maxBody || total > maxBody)) {
        tooLarge = true;
        timer.stop();
        disconnect(reply, SIGNAL(downloadProgress(qint64, qint64)), this,
                   SLOT(onDownloadProgress(qint64, qint64)));
        reply->abort(); // finishes with OperationCanceledError: onRequestFinished reports failure()
        return;
    }
    timer.start(timeout);
}

void ReplyHandler::onUploadProgress(qint64, qint64)
{
    qDebug().nospace().noquote() << name << ": HTTP upload progress";
    timer.start(timeout);
}

void ReplyHandler::onRequestFinished()
{
    if (timer.isActive())
        timer.stop();
    if (!reply) {
        qDebug().nospace().noquote() << name << ": HTTP request failed: httpReply object is gone";
        return;
    }
    // Exactly one report: nothing of this reply (progress, a second finished) reaches us again.
    disconnect(reply, nullptr, this, nullptr);
    if (tooLarge || reply->bytesAvailable() > maxBody) {
        qDebug().nospace().noquote() << name << ": HTTP request failed: answer larger than " << maxBody
                                     << " bytes";
        emit failure();
    } else if (reply->error() != QNetworkReply::NoError) {
        // The error text may carry the server's reason phrase: written quoted, so escaped.
        (qDebug().nospace().noquote() << name << ": HTTP request failed: ").quote() << reply->errorString();
        emit failure();
    } else {
        qDebug().nospace().noquote() << name << ": HTTP request was successful";
        const QByteArray body = reply->readAll();
        emit success(body);
    }
    deleteLater();
}
