#pragma once

#include <QLoggingCategory>
#include <QString>

#include <ostream>
#include <string>

// The program's trace lines, all written here. Plain lines go to standard output or standard
// error, each whole and flushed; debug lines go through Qt's logging with the caller's file, line
// and function, and QT_LOGGING_RULES="dornvale.debug=false" silences them.
Q_DECLARE_LOGGING_CATEGORY(dornvale_log)

// An expression, so a line can be parenthesised to change its quoting part-way.
#define trace_debug()                                                                                        \
    QMessageLogger(QT_MESSAGELOG_FILE, QT_MESSAGELOG_LINE, QT_MESSAGELOG_FUNC).debug(dornvale_log())

namespace trace {

enum class stream { out, err };

std::ostream& sink(stream s);

inline void put(std::ostream& o, const QString& text)
{
    o << text.toStdString();
}
template <typename T> void put(std::ostream& o, const T& value)
{
    o << value;
}

// The arguments, then a line end, as one flushed line.
template <typename... Args> void line(stream s, const Args&... args)
{
    std::ostream& o = sink(s);
    (put(o, args), ...);
    o << std::endl;
}

// Text of whole lines, each ending in "\n", written without a flush: for floods of lines, which
// end with flush().
void block(stream s, const std::string& lines);
void flush(stream s);

template <typename... Args> void out(const Args&... args)
{
    line(stream::out, args...);
}

template <typename... Args> void err(const Args&... args)
{
    line(stream::err, args...);
}

} // namespace trace
