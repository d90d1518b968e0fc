#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One captured Qt debug line with its context.
struct logged_line
{
    QString message;
    QString file;
    QString function;
};

// Captures the Qt debug lines, with their context, while alive (one at a time).
struct log_capture
{
    static QList<logged_line>& lines()
    {
        static QList<logged_line> captured;
        return captured;
    }
    static void handler(QtMsgType, const QMessageLogContext& context, const QString& msg)
    {
        lines() << logged_line{msg, QString::fromUtf8(context.file ? context.file : ""),
                               QString::fromUtf8(context.function ? context.function : "")};
    }
    log_capture()
    {
        lines().clear();
        qInstallMessageHandler(&log_capture::handler);
    }
    ~log_capture() { qInstallMessageHandler(nullptr); }

    // Number of lines that contain the text.
    int count(const QString& text) const
    {
        int n = 0;
        for (const logged_line& line : lines())
            if (line.message.contains(text))
                ++n;
        return n;
    }
    // The messages that contain the text.
    QStringList matching(const QString& text) const
    {
        QStringList out;
        for (const logged_line& line : lines())
            if (line.message.contains(text))
                out << line.message;
        return out;
    }
    // All messages, one a line (for failure output).
    QString all() const { return matching(QString()).join('\n'); }
};
