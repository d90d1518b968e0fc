#pragma once
// Debug-line capture for the online-service tests.
#include <QStringList>
#include <QtGlobal>

struct debug_capture
{
    static QStringList& lines()
    {
        static QStringList all;
        return all;
    }
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtDebugMsg)
            lines() << message;
        // Everything still goes to standard error, so a failing test shows the whole story.
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

    // Lines that start with the prefix, in order.
    QStringList starting_with(const QString& prefix) const
    {
        QStringList result;
        for (const QString& line : lines())
            if (line.startsWith(prefix))
                result << line;
        return result;
    }
    int count(const QString& line) const { return lines().count(line); }
    QString all() const { return lines().join('\n'); }

private:
    bool nested_ = false; // an inner capture restarts the lines; the outer one restores the handler
};
