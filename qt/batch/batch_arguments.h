#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// A batch command's words after its name: operands (the files; "-" is one, and so is every word
// after "--") set apart from options, which the command reads one by one; its usage is printed for
// --help and after a wrong command line.
class batch_arguments
{
public:
    static constexpr int exit_ok = 0;
    static constexpr int exit_file_failed = 1; // a file or animal not read or written, or lines lost
    static constexpr int exit_usage = 2;       // the command line is wrong; nothing was read

    // args starts with the command's name; usage is the command's usage text.
    batch_arguments(const QStringList& args, const char* usage, std::ostream& out, std::ostream& err);

    // Moves to the next option, setting operands aside; false after the last word. option() and the
    // rest below are for an option next_option() moved to.
    bool next_option();
    const QString& option() const;
    bool has_value() const;
    // The word after the option (null when there is none) and taking it as the option's value.
    QString value() const;
    QString take_value();
    // Takes the value as seconds above 0 (--static-window); NaN, after the usage error, when it is not.
    double take_seconds();
    const QStringList& files() const { return files_; }

    // For an option the command does not take: the usage to out and exit_ok for --help or -h, else
    // the usage error naming the option.
    int other_option() const;
    // "dornvale-batch: why" and the usage to err; exit_usage.
    int usage_error(const QString& why) const;

private:
    const QStringList args_;
    const char* usage_;
    std::ostream& out_;
    std::ostream& err_;
    int at_ = 0;
    bool options_done_ = false;
    QStringList files_;
};
