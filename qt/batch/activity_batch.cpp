#include "batch/activity_batch.h"

#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/io/loader_progress.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <functional>
#include <memory>
#include <sstream>

const char activity_batch::usage[] =
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] FILE...\n";

namespace {

const char program[] = "dornvale-batch: ";

// A batch run is never cancelled and shows no progress.
class no_progress : public loader_progress
{
public:
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

// The readers' and the chain's trace lines are for the interactive program; the batch command's
// own lines are the only ones its caller sees.
class silenced_streams
{
public:
    silenced_streams()
        : out_(trace::sink(trace::stream::out).rdbuf(sink_.rdbuf())),
          err_(trace::sink(trace::stream::err).rdbuf(sink_.rdbuf()))
    {
    }
    ~silenced_streams()
    {
        trace::sink(trace::stream::out).rdbuf(out_);
        trace::sink(trace::stream::err).rdbuf(err_);
    }
    silenced_streams(const silenced_streams&) = delete;
    silenced_streams& operator=(const silenced_streams&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* out_;
    std::streambuf* err_;
};

// A path as printed: native separators, and a control character (a newline would split the line)
// written as \n, \r, \t or \xHH.
QString shown(const QString& path)
{
    QString text;
    for (const QChar c : QDir::toNativeSeparators(path)) {
        if (c == QLatin1Char('\n'))
            text += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            text += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

void print(std::ostream& stream, const QString& line)
{
    stream << line.toLocal8Bit().constData() << std::endl;
}

// Empty on success, else the reason.
QString save(const QString& path, const std::function<bool(QSaveFile&, QString&)>& write)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file, reason)) {
        file.cancelWriting();
        return reason.isEmpty() ? file.errorString() : reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

// The file a path names, links and ".." resolved: of the folder for a file not written yet, and of
// the archive for an entry of one (no output may replace the archive).
QString canonical(const QString& path)
{
    QString archive, entry;
    if (zip_entry_path::split(path, &archive, &entry))
        return canonical(archive);
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

} // namespace

QString activity_batch::output_path(const QString& argument, const QString& data_file, const QString& suffix)
{
    if (argument.isEmpty())
        return activity_export_path(data_file, suffix);
    if (QFileInfo(argument).isDir()) {
        const QString beside = activity_export_path(data_file, suffix);
        return QDir(argument).filePath(QFileInfo(beside).fileName());
    }
    return argument;
}

QString activity_batch::process(const QString& file, const QString& csv, const QString& png, QString& done)
{
    // Qt reads names as UTF-8 (or the locale's encoding): other bytes become U+FFFD and are lost.
    if (!QFileInfo::exists(file) && file.contains(QChar::ReplacementCharacter))
        return QStringLiteral(
            "The name is not valid in this system's encoding (shown with \uFFFD); this program "
            "can't open it: rename the file.");
    if (!QFileInfo::exists(file))
        return QStringLiteral("File does not exist.");
    if (QFileInfo(file).isDir())
        return QStringLiteral("Is a folder, not a file.");
    std::unique_ptr<eobs_acc_loader> loaded;
    std::unique_ptr<activity_calculator> calc;
    QString refusal;
    {
        silenced_streams quiet;
        no_progress progress;
        loaded = eobs_acc_loader::guarded(file, &progress);
        if (loaded->status == ELS_SUCCESS && loaded->space) {
            refusal = activity_plot_refusal(*loaded->space);
            if (refusal.isEmpty())
                calc = std::make_unique<activity_calculator>(*loaded->space);
        }
    }
    if (loaded->status == ELS_READ_FAILED)
        return loaded->reason;
    if (!refusal.isEmpty())
        return refusal;
    if (!calc)
        return QStringLiteral("File format not recognized.");

    QStringList written;
    if (!csv.isEmpty()) {
        const QString reason =
            save(csv, [&](QSaveFile& f, QString& why) { return write_activity_csv(*calc, f, &why); });
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(csv), reason);
        written << shown(csv);
    }
    if (!png.isEmpty()) {
        const QImage image =
            activity_plot_image(*calc, QFileInfo(file).absoluteFilePath(), activity_plot_options());
        const QString reason = save(png, [&](QSaveFile& f, QString& why) {
            if (image.isNull()) {
                why = QStringLiteral("not enough memory for the image");
                return false;
            }
            why = QStringLiteral("the image could not be encoded");
            return image.save(&f, "png");
        });
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(png), reason);
        written << shown(png);
    }
    const qint32 bursts = loaded->space->entry_count();
    // One arg() call: a "%1" in a file name stays as it is.
    done = QStringLiteral("%1: %2 %3 -> %4")
               .arg(shown(file), QString::number(bursts),
                    bursts == 1 ? QStringLiteral("burst") : QStringLiteral("bursts"),
                    written.join(QStringLiteral(", ")));
    if (calc->not_finite_samples > 0)
        done +=
            QStringLiteral(" (%1 %2 not a finite number, left out)")
                .arg(calc->not_finite_samples)
                .arg(calc->not_finite_samples == 1 ? QStringLiteral("sample") : QStringLiteral("samples"));
    return QString();
}

int activity_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (args.isEmpty() || args.first() != QStringLiteral("activity")) {
        if (!args.isEmpty() &&
            (args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h"))) {
            out << usage;
            return exit_ok;
        }
        if (!args.isEmpty())
            print(err, program + QStringLiteral("unknown command \"%1\"").arg(args.first()));
        err << usage;
        return exit_usage;
    }

    QString csv_arg, png_arg;
    bool csv_on = false, png_on = false;
    QStringList files;
    bool options_done = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options_done || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            files << a;
        } else if (a == QStringLiteral("--")) {
            options_done = true;
        } else if (a == QStringLiteral("--csv") || a == QStringLiteral("--png")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                print(err, program + QStringLiteral("%1 needs a file or folder name").arg(a));
                err << usage;
                return exit_usage;
            }
            (a == QStringLiteral("--csv") ? csv_arg : png_arg) = args[++i];
            (a == QStringLiteral("--csv") ? csv_on : png_on) = true;
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            out << usage;
            return exit_ok;
        } else {
            print(err, program + QStringLiteral("unknown option \"%1\"").arg(a));
            err << usage;
            return exit_usage;
        }
    }
    if (files.isEmpty()) {
        print(err, program + QStringLiteral("no input file"));
        err << usage;
        return exit_usage;
    }
    // Without --csv or --png both are written beside each input.
    if (!csv_on && !png_on)
        csv_on = png_on = true;
    for (const QString& arg : {csv_arg, png_arg}) {
        if (!arg.isEmpty() && files.size() > 1 && !QFileInfo(arg).isDir()) {
            print(err, program + QStringLiteral(
                                     "\"%1\" must be an existing folder when more than one file is given")
                                     .arg(shown(arg)));
            err << usage;
            return exit_usage;
        }
    }

    int failed = 0;
    // Every input and every output of this run, so that no output replaces an input or an earlier
    // file's output.
    QSet<QString> taken;
    for (const QString& file : files)
        taken.insert(canonical(file));
    for (const QString& file : files) {
        const QString csv = csv_on ? output_path(csv_arg, file, QStringLiteral("csv")) : QString();
        const QString png = png_on ? output_path(png_arg, file, QStringLiteral("png")) : QString();
        QString done;
        QString problem;
        for (const QString& o : {csv, png})
            if (problem.isEmpty() && !o.isEmpty() && taken.contains(canonical(o)))
                problem = QStringLiteral("%1 is an input or an earlier output of this run; nothing written")
                              .arg(shown(o));
        if (problem.isEmpty()) {
            for (const QString& o : {csv, png})
                if (!o.isEmpty())
                    taken.insert(canonical(o));
            problem = process(file, csv, png, done);
        }
        if (problem.isEmpty()) {
            print(out, done);
        } else {
            print(err, program + shown(file) + QStringLiteral(": ") + problem);
            ++failed;
        }
    }
    return failed == 0 ? exit_ok : exit_file_failed;
}
