#pragma once
// The real program copied into a private directory, with an optional build.conf beside it, run
// offscreen with a private home; the test's event loop keeps running while it waits for log lines.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

struct program_copy
{
    QTemporaryDir dir;
    QTemporaryDir home;
    QProcess process;
    QByteArray err;

    // A null build_conf writes no file; one without a tile server gets one on a closed local port.
    bool prepare(QByteArray build_conf)
    {
        if (!dir.isValid() || !home.isValid())
            return false;
        const QString exe = dir.path() + "/dornvale";
        if (!QFile::copy(QStringLiteral(DORNVALE_BINARY_DIR "/dornvale"), exe))
            return false;
        QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner | QFile::ReadOwner);
        if (!build_conf.isNull()) {
            if (!build_conf.contains("tile_server="))
                build_conf += "tile_server=http://127.0.0.1:1/\n";
            QFile conf(dir.path() + "/build.conf");
            if (!conf.open(QIODevice::WriteOnly))
                return false;
            conf.write(build_conf);
        }
        return true;
    }

    // args: the program's command-line arguments.
    void start(const QStringList& args = QStringList())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.path() + "/share");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("http_proxy");
        env.remove("HTTP_PROXY");
        process.setProcessEnvironment(env);
        process.start(dir.path() + "/dornvale", args);
    }

    // Runs the test's own event loop (the service lives in it) until the log holds text.
    bool wait_for(const QString& text, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            err += process.readAllStandardError();
            if (QString::fromLocal8Bit(err).contains(text))
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    QString log()
    {
        err += process.readAllStandardError();
        return QString::fromLocal8Bit(err);
    }

    ~program_copy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};
