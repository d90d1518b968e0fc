#include "app/progress_coordinator.h"

#include "app/data_set_sink.h"
#include "data/progress_loader_base.h"
#include "data/trace.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThreadPool>

progress_coordinator::progress_coordinator(data_set_sink& sink, const char* runnable_name)
    : sink(sink), cancel_requested(std::make_shared<std::atomic_bool>(false)), runnable_name_(runnable_name)
{
}

void progress_coordinator::cancel()
{
    trace_debug().nospace() << runnable_name_ << "::cancel ";
    cancel_requested->store(true);
}

QString progress_coordinator::choose_existing_file()
{
    const QString home =
        QStandardPaths::locate(QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory);
    const QString path =
        QFileDialog::getOpenFileName(sink.dialog_parent(), tr("Open Acceleration Data File"), home);
    trace::out("filename: ", path);
    if (path.isEmpty()) {
        deleteLater();
        return QString();
    }
    if (!QFileInfo::exists(path)) {
        open_failed(tr("File does not exist."));
        deleteLater();
        return QString();
    }
    return path;
}

void progress_coordinator::open_failed(const QString& reason)
{
    QMessageBox::warning(sink.dialog_parent(), tr("Open failed"), reason, QMessageBox::Ok,
                         QMessageBox::NoButton);
}

void progress_coordinator::run_with_progress(progress_loader_base* runnable, QWidget* dialog_parent)
{
    QProgressDialog dialog(dialog_parent);
    dialog.setWindowTitle(tr("Loading"));
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    connect(runnable, &progress_loader_base::finished, &dialog, &QProgressDialog::reset,
            Qt::QueuedConnection);
    connect(&dialog, &QProgressDialog::canceled, this, &progress_coordinator::cancel);
    connect(runnable, &progress_loader_base::text_changed, &dialog, &QProgressDialog::setLabelText,
            Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(runnable, 0);
    dialog.exec();
}
