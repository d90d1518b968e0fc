#pragma once
// The real dornvale-batch program run in a folder, as a user runs it: no display, no platform named.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct run_result
{
    int code = -1;
    QString out;
    QString err;
};

// Runs the real program with no display and no platform named, in folder.
inline run_result run(const QStringList& args, const QString& folder)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(DORNVALE_BINARY_DIR "/dornvale-batch"), args);
    run_result r;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        r.err = QStringLiteral("did not finish: ") + process.errorString();
        return r;
    }
    r.code = process.exitCode();
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}
