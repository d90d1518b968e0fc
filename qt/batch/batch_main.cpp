// dornvale-batch: the program's computations over many files, without a window.
#include "batch/activity_batch.h"
#include "batch/batch_arguments.h"
#include "batch/classify_batch.h"
#include "batch/metrics_batch.h"
#include "batch/train_batch.h"
#include "batch/track_batch.h"
#include "data/io/dornvale_version.h"
#include "data/io/trace.h"

#include <QGuiApplication>

#include <cstring>

namespace {

// Qt's own diagnostics (and the calculator's debug lines) are not part of the command's output;
// only errors that end the program are passed on.
void quiet_handler(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        trace::err("dornvale-batch: ", text);
}

bool platform_given(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(&quiet_handler);
    // Text in the PNG needs a GUI application, which needs a platform; no display is required.
    if (!platform_given(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The program's settings: the calibrations stored in the burst window.
    QCoreApplication::setOrganizationName(DORNVALE_ORGANIZATION_NAME);
    QCoreApplication::setOrganizationDomain(DORNVALE_ORGANIZATION_DOMAIN);
    QCoreApplication::setApplicationName(DORNVALE_APP_NAME);
    const QStringList args = QCoreApplication::arguments().mid(1);
    std::ostream& out = trace::sink(trace::stream::out);
    std::ostream& err = trace::sink(trace::stream::err);
    const QString command = args.value(0);
    if (command == QStringLiteral("metrics"))
        return metrics_batch::run(args, out, err);
    if (command == QStringLiteral("train"))
        return train_batch::run(args, out, err);
    if (command == QStringLiteral("classify"))
        return classify_batch::run(args, out, err);
    if (command == QStringLiteral("track"))
        return track_batch::run(args, out, err);
    if (command != QStringLiteral("activity")) {
        // No command, help or an unknown one: every command's usage.
        const bool help = command == QStringLiteral("--help") || command == QStringLiteral("-h");
        std::ostream& to = help ? out : err;
        if (!command.isEmpty() && !help)
            to << "dornvale-batch: unknown command \"" << command.toLocal8Bit().constData() << "\"\n";
        to << activity_batch::usage << metrics_batch::usage << track_batch::usage << train_batch::usage
           << classify_batch::usage;
        return help ? batch_arguments::exit_ok : batch_arguments::exit_usage;
    }
    return activity_batch::run(args, out, err);
}
