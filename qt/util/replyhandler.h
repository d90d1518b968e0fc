#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkReply;

// Watches one HTTP request already under way. Reports exactly one of success(body) or failure(),
// aborts the request after `timeout` milliseconds without any progress or once its answer exceeds
// maxBody bytes, writes a debug line
// (prefixed with `name`) for every event and deletes itself once it has reported.
// The caller keeps no pointer to the handler; it connects to the two signals.
class ReplyHandler : public QObject
{
    Q_OBJECT

public:
    // Largest answer taken: a longer one (announced or arriving) is aborted and reported as a failure.
    static constexpr qint64 maxBody = 65536;

    ReplyHandler(QNetworkReply* reply, const QString& name, int timeout, QObject* parent);
    ~ReplyHandler() override;

    const QString& requestName() const { return name; }
    int timeoutMs() const { return timeout; }

signals:
    void failure();
    void success(QByteArray body);

private slots:
    void onRequestTimeout();
    void onDownloadProgress(qint64, qint64);
    void onUploadProgress(qint64, qint64);
    void onRequestFinished();

private:
    QString name;
    int timeout;
    QTimer timer;
    // Guarded: a reply deleted elsewhere (e.g. with its network manager) reads as "no reply".
    QPointer<QNetworkReply> reply;
    bool tooLarge = false; // the answer passed maxBody
};
