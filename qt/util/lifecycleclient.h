#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;

// Asks the update service once per start whether a newer release exists (GET of
// <base>versions/current/<platform>[?flavor=<flavour>] with the "X-CHECKSUM" and "User-Agent" headers),
// compares the announced version with the program's own by Semantic Versioning 2.0.0 precedence and
// emits updateAvailable() only for a newer one. Failures are only logged.
class LifeCycleClient : public QObject
{
    Q_OBJECT

public:
    // Version value of the comparison; a text that does not match the pattern gives 0.0.0.
    struct Version
    {
        int major = 0;
        int minor = 0;
        int patch = 0;
        QStringList preRelease;
        QStringList build;
    };

    static constexpr int checkVersionTimeout = 45000;

    // The deployment's update service (build_settings::update_service_url()) and the build
    // flavour from build.conf beside the executable.
    explicit LifeCycleClient(QNetworkAccessManager* manager, QObject* parent = nullptr);
    // An explicit base URL (a "/" is appended if missing); the flavour still comes from build.conf.
    LifeCycleClient(QNetworkAccessManager* manager, const QString& baseUrl, QObject* parent = nullptr);

    // Reads group "build", key "flavor" of build_settings::conf_path() ("/build.conf" beside the
    // executable); a missing file, group or key gives the empty text.
    static QString loadBuildFlavor();
    static QString loadBuildFlavor(const QString& path);

    // The platform word of a kernel as QSysInfo::kernelType() names it: "Windows" (winnt), "macOS"
    // (darwin), "Linux" for any other.
    static QString platformFor(const QString& kernelType);
    // The platform word of the system the program runs on.
    static QString systemPlatform();

    // SHA-256 of the platform word followed by the shared key, as 64 lower-case hex digits.
    static QByteArray checksum(const QString& platform);
    QByteArray checksum() const { return checksum(platform_); }
    QByteArray userAgent() const;
    QUrl versionUrl() const;

    const QString& baseUrl() const { return baseUrl_; }
    const QString& flavor() const { return buildFlavor; }
    const QString& platform() const { return platform_; }
    void setPlatform(const QString& platform) { platform_ = platform; }
    void setBuildFlavor(const QString& flavor) { buildFlavor = flavor; }
    int requestTimeout() const { return requestTimeout_; }
    void setRequestTimeout(int milliseconds) { requestTimeout_ = milliseconds; }

    static Version parseVersion(const QString& text);
    // Is a below b (Semantic Versioning 2.0.0 precedence; build identifiers are never compared).
    static bool lessThan(const Version& a, const Version& b);

signals:
    void updateAvailable(QString version, QUrl downloadUrl, QUrl changelogUrl);

public slots:
    void checkVersion();
    void onCheckVersionSuccess(QByteArray body);
    void onCheckVersionFailed();

private:
    QString buildFlavor;
    QString clientName;
    QString clientVersion;
    QNetworkAccessManager* manager;
    QString baseUrl_;
    QString platform_ = systemPlatform();
    int requestTimeout_ = checkVersionTimeout;
};
