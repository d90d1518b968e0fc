#include "batch/batch_arguments.h"

#include <cmath>

#include "batch/batch_files.h"

batch_arguments::batch_arguments(const QStringList& args, const char* usage, std::ostream& out,
                                 std::ostream& err)
    : args_(args), usage_(usage), out_(out), err_(err)
{
}

bool batch_arguments::next_option()
{
    while (++at_ < args_.size()) {
        const QString& a = args_[at_];
        if (options_done_ || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-"))
            files_ << a;
        else if (a == QStringLiteral("--"))
            options_done_ = true;
        else
            return true;
    }
    return false;
}

const QString& batch_arguments::option() const
{
    return args_[at_];
}

bool batch_arguments::has_value() const
{
    return at_ + 1 < args_.size();
}

QString batch_arguments::value() const
{
    return has_value() ? args_[at_ + 1] : QString();
}

double batch_arguments::take_seconds()
{
    bool ok = false;
    const double seconds = value().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0) {
        usage_error(QStringLiteral("%1 needs a number of seconds above 0").arg(option()));
        return std::nan("");
    }
    take_value();
    return seconds;
}

QString batch_arguments::take_value()
{
    return has_value() ? args_[++at_] : QString();
}

int batch_arguments::other_option() const
{
    if (option() == QStringLiteral("--help") || option() == QStringLiteral("-h")) {
        out_ << usage_;
        return exit_ok;
    }
    return usage_error(QStringLiteral("unknown option \"%1\"").arg(option()));
}

int batch_arguments::usage_error(const QString& why) const
{
    batch_files::print(err_, batch_files::program + why);
    err_ << usage_;
    return exit_usage;
}
