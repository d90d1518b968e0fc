#pragma once
// The shared debug-line capture, seen as lines with their context and counted by contained text.

#include "support/test_support.h"

// One captured Qt debug line with its context.
struct logged_line
{
    QString message;
    QString file;
    QString function;
};

struct log_capture : test_support::debug_capture
{
    QList<logged_line> lines() const
    {
        QList<logged_line> out;
        const QStringList& messages = debug_capture::lines();
        for (int i = 0; i < messages.size(); ++i)
            out << logged_line{messages[i], contexts()[i].first, contexts()[i].second};
        return out;
    }
    // Number of lines that contain the text.
    int count(const QString& text) const { return matching(text).size(); }
    // The messages that contain the text.
    QStringList matching(const QString& text) const { return debug_capture::lines().filter(text); }
};
