#pragma once
// Small helpers shared by the test suites.

#include "data/io/loader_progress.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <iostream>
#include <sstream>

namespace test_support {

// Captures standard output and standard error for the lifetime of the object.
struct streams_capture
{
    std::ostringstream out, err;
    std::streambuf* old_out;
    std::streambuf* old_err;
    streams_capture() : old_out(std::cout.rdbuf(out.rdbuf())), old_err(std::cerr.rdbuf(err.rdbuf())) {}
    ~streams_capture()
    {
        std::cout.rdbuf(old_out);
        std::cerr.rdbuf(old_err);
    }
    QString stdout_text() const { return QString::fromStdString(out.str()); }
    QString stderr_text() const { return QString::fromStdString(err.str()); }
    QStringList stdout_lines() const { return stdout_text().split('\n', Qt::SkipEmptyParts); }
    QStringList stderr_lines() const { return stderr_text().split('\n', Qt::SkipEmptyParts); }
};

// Collects the Qt debug lines for the lifetime of the object; everything still reaches the handler
// that was installed before, so a failing test shows the whole story. An inner capture restarts the
// lines; the outer one restores the handler.
struct debug_capture
{
    static QStringList& lines()
    {
        static QStringList all;
        return all;
    }
    // File and function of each line, in the same order.
    static QList<QPair<QString, QString>>& contexts()
    {
        static QList<QPair<QString, QString>> all;
        return all;
    }
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtDebugMsg) {
            lines() << message;
            contexts() << qMakePair(QString::fromUtf8(context.file ? context.file : ""),
                                    QString::fromUtf8(context.function ? context.function : ""));
        }
        if (previous())
            previous()(type, context, message);
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    debug_capture()
    {
        lines().clear();
        contexts().clear();
        const QtMessageHandler before = qInstallMessageHandler(&debug_capture::handler);
        nested_ = before == &debug_capture::handler;
        if (!nested_)
            previous() = before;
    }
    ~debug_capture()
    {
        if (!nested_)
            qInstallMessageHandler(previous());
    }
    debug_capture(const debug_capture&) = delete;
    debug_capture& operator=(const debug_capture&) = delete;

    bool contains(const QString& text) const
    {
        for (const QString& line : lines())
            if (line.contains(text))
                return true;
        return false;
    }
    // Lines that start with the prefix, in order.
    QStringList starting_with(const QString& prefix) const
    {
        QStringList result;
        for (const QString& line : lines())
            if (line.startsWith(prefix))
                result << line;
        return result;
    }
    // How often exactly this line was written.
    int count(const QString& line) const { return lines().count(line); }
    QString all() const { return lines().join('\n'); }

private:
    bool nested_ = false;
};

// A loader_progress that records what it is told and cancels after a number of polls.
struct recording_progress : loader_progress
{
    int cancel_after_polls = -1; // -1: never
    bool record_values = true;   // false keeps a benchmark's memory figures free of the values
    int polls = 0;
    QList<qint32> values;
    QStringList texts;
    bool loader_progress_cancelled() override
    {
        ++polls;
        return cancel_after_polls >= 0 && polls > cancel_after_polls;
    }
    void loader_progress_set_value(qint32 v) override
    {
        if (record_values)
            values << v;
    }
    void loader_progress_set_text(const QString& text) override { texts << text; }
    // Each report of the readers: bytes read and file size.
    QList<QPair<qint64, qint64>> bytes;
    void loader_progress_bytes(qint64 read, qint64 size) override { bytes << qMakePair(read, size); }
};

// Empties the user's settings (under the test's private home), so each test starts afresh.
inline void clear_settings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

inline bool write_file(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(content) == content.size();
}

// Writes head, then `hole` NUL bytes left as a sparse hole (no disk space, quick to read), then tail:
// a file as long as wanted whose middle is one line without an end.
inline bool write_file_with_hole(const QString& path, const QByteArray& head, qint64 hole,
                                 const QByteArray& tail = QByteArray())
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() &&
           file.resize(head.size() + hole) && file.seek(head.size() + hole) &&
           file.write(tail) == tail.size();
}

} // namespace test_support
