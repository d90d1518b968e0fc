#include "util/lifecycleclient.h"

#include "util/build_settings.h"
#include "data/io/dornvale_version.h"
#include "util/replyhandler.h"
#include "data/io/trace.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>

namespace {

const char* const sharedKey = "9b1e4c07d3a85f26e0c4b7a19d52f8e3061ab9c4d7e25f80a3b6c19e4d07f2a5";

// SemVer: an identifier made only of ASCII digits is numeric.
bool isNumeric(const QString& identifier)
{
    if (identifier.isEmpty())
        return false;
    for (const QChar c : identifier)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Compares two numeric identifiers of any length as integers: <0, 0, >0.
int compareNumeric(const QString& a, const QString& b)
{
    int i = 0, j = 0;
    while (i < a.size() - 1 && a[i] == QLatin1Char('0'))
        ++i;
    while (j < b.size() - 1 && b[j] == QLatin1Char('0'))
        ++j;
    const int lengthA = a.size() - i, lengthB = b.size() - j;
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    return QString::compare(a.mid(i), b.mid(j), Qt::CaseSensitive);
}

int compareIdentifiers(const QString& a, const QString& b)
{
    const bool numericA = isNumeric(a), numericB = isNumeric(b);
    if (numericA && numericB)
        return compareNumeric(a, b);
    if (numericA != numericB)
        return numericA ? -1 : 1;                     // numeric identifiers rank below alphanumeric ones
    return QString::compare(a, b, Qt::CaseSensitive); // UTF-16 code units
}

} // namespace

LifeCycleClient::LifeCycleClient(QNetworkAccessManager* manager_, QObject* parent)
    : LifeCycleClient(manager_, build_settings::update_service_url(), parent)
{
}

LifeCycleClient::LifeCycleClient(QNetworkAccessManager* manager_, const QString& baseUrl, QObject* parent)
    : QObject(parent), buildFlavor(loadBuildFlavor()), clientName(QStringLiteral("Qt")),
      clientVersion(QString::fromLatin1(qVersion())), manager(manager_),
      baseUrl_(build_settings::with_slash(baseUrl))
{
}

QString LifeCycleClient::loadBuildFlavor()
{
    return loadBuildFlavor(build_settings::conf_path());
}

QString LifeCycleClient::loadBuildFlavor(const QString& path)
{
    trace_debug() << "Loading " << path;
    const QString flavor = build_settings::value(path, "flavor");
    trace_debug() << "Build flavor: " << flavor;
    return flavor;
}

QString LifeCycleClient::platformFor(const QString& kernelType)
{
    if (kernelType == QLatin1String("winnt"))
        return QStringLiteral("Windows");
    if (kernelType == QLatin1String("darwin"))
        return QStringLiteral("macOS");
    return QStringLiteral("Linux");
}

QString LifeCycleClient::systemPlatform()
{
    return platformFor(QSysInfo::kernelType());
}

QByteArray LifeCycleClient::checksum(const QString& platform)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(platform.toUtf8());
    hash.addData(QByteArray(sharedKey));
    return hash.result().toHex();
}

QByteArray LifeCycleClient::userAgent() const
{
    return QStringLiteral("Dornvale/%1 (%2) %3/%4")
        .arg(QStringLiteral(DORNVALE_VERSION), platform_, clientName, clientVersion)
        .toUtf8();
}

QUrl LifeCycleClient::versionUrl() const
{
    QString url = baseUrl_ + "versions/current/" + platform_;
    if (!buildFlavor.isEmpty())
        url += "?flavor=" + buildFlavor;
    return QUrl(url);
}

void LifeCycleClient::checkVersion()
{
    const QUrl url = versionUrl();
    trace_debug() << "LifeCycleClient/CheckVersion: " << url;
    if (!manager) {
        trace_debug() << "LifeCycleClient/CheckVersion: no network access manager";
        return;
    }
    QNetworkRequest request(url);
    request.setRawHeader("X-CHECKSUM", checksum());
    request.setRawHeader("User-Agent", userAgent());
    // Asked for as is: Qt inflates a compressed answer whole, before ReplyHandler can bound its size.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = manager->get(request);
    auto* handler = new ReplyHandler(reply, "LifeCycleClient/CheckVersion", requestTimeout_, this);
    connect(handler, &ReplyHandler::success, this, &LifeCycleClient::onCheckVersionSuccess);
    connect(handler, &ReplyHandler::failure, this, &LifeCycleClient::onCheckVersionFailed);
}

void LifeCycleClient::onCheckVersionSuccess(QByteArray body)
{
    trace_debug() << "LifeCycleClient/OnCheckVersionSuccess";
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        // Written quoted, so a body with control characters cannot forge log lines; only its start.
        trace_debug() << "LifeCycleClient/OnCheckVersionSuccess: Can not parse JSON: " << body.trimmed().left(200);
        trace_debug() << "LifeCycleClient/OnCheckVersionSuccess: Can not parse JSON: "
                      << static_cast<int>(error.error);
        return;
    }
    const QJsonObject answer = document.object();
    if (!answer.contains("current-version") || !answer.contains("download-url") ||
        !answer.contains("changelog-url"))
        return;

    const QString announced = answer.value("current-version").toString();
    const QUrl downloadUrl(answer.value("download-url").toString());
    const QUrl changelogUrl(answer.value("changelog-url").toString());
    if (lessThan(parseVersion(QStringLiteral(DORNVALE_VERSION)), parseVersion(announced))) {
        trace_debug() << "LifeCycleClient/OnCheckVersionSuccess: software update available " << announced;
        emit updateAvailable(announced, downloadUrl, changelogUrl);
    } else {
        trace_debug() << "LifeCycleClient/OnCheckVersionSuccess: software is up to date " << announced;
    }
}

void LifeCycleClient::onCheckVersionFailed()
{
    // The reply handler has already written the failure.
}

LifeCycleClient::Version LifeCycleClient::parseVersion(const QString& text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("^v?(\\d+)\\.(\\d+)\\.(\\d+)(-([a-zA-Z0-9-.]+))?(\\+([a-zA-Z0-9-.]+))?$")));
    Version version;
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return version;
    bool okMajor = false, okMinor = false, okPatch = false;
    const int major = match.captured(1).toInt(&okMajor, 10);
    const int minor = match.captured(2).toInt(&okMinor, 10);
    const int patch = match.captured(3).toInt(&okPatch, 10);
    if (!okMajor || !okMinor || !okPatch)
        return version; // a number past the int range counts like a text that does not match
    version.major = major;
    version.minor = minor;
    version.patch = patch;
    if (!match.captured(5).isEmpty())
        version.preRelease = match.captured(5).split('.', Qt::KeepEmptyParts);
    if (!match.captured(7).isEmpty())
        version.build = match.captured(7).split('.', Qt::KeepEmptyParts);
    return version;
}

bool LifeCycleClient::lessThan(const Version& a, const Version& b)
{
    if (a.major != b.major)
        return a.major < b.major;
    if (a.minor != b.minor)
        return a.minor < b.minor;
    if (a.patch != b.patch)
        return a.patch < b.patch;
    if (a.preRelease.isEmpty() || b.preRelease.isEmpty())
        return !a.preRelease.isEmpty() && b.preRelease.isEmpty();
    const int common = qMin(a.preRelease.size(), b.preRelease.size());
    for (int i = 0; i < common; ++i) {
        const int order = compareIdentifiers(a.preRelease[i], b.preRelease[i]);
        if (order != 0)
            return order < 0;
    }
    return a.preRelease.size() < b.preRelease.size();
}
