#include "app/progress_coordinator.h"

#include "app/data_set_sink.h"
#include "data/io/zip_entry_path.h"
#include "data/load/progress_loader_base.h"
#include "data/io/trace.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QThreadPool>

namespace {

const char* const last_folder_key = "files/last_folder";

} // namespace

const char* const progress_coordinator::file_filters = "E-OBS exports (*.csv *.txt *.zip *.gz);;All files (*)";

progress_coordinator::progress_coordinator(data_set_sink& sink, const char* runnable_name)
    : sink(sink), cancel_requested(std::make_shared<std::atomic_bool>(false)), runnable_name_(runnable_name)
{
}

QString progress_coordinator::quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString progress_coordinator::chain_failure(const QString& kind, const QString& file, bool read_failed,
                                            const QString& reason, const QString& again,
                                            const QString& advice)
{
    if (read_failed)
        return tr("The %1 file %2 could not be read: %3\nCheck that it is a readable file, then open %4.")
            .arg(kind, quoted(file), reason, again);
    return tr("The %1 file %2 is not an E-OBS %1 export: its first line is in neither %1 layout.\n%3")
        .arg(kind, quoted(file), advice);
}

void progress_coordinator::start_loading()
{
    const QString path = choose_existing_file();
    if (!path.isEmpty())
        load(path);
}

void progress_coordinator::start_from(const QString& path)
{
    if (!existing_file(path).isEmpty())
        load(path);
}

void progress_coordinator::cancel()
{
    trace_debug().nospace() << runnable_name_ << "::cancel ";
    cancel_requested->store(true);
}

QString progress_coordinator::choose_existing_file()
{
    QSettings settings;
    QString folder = settings.value(last_folder_key).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder =
            QStandardPaths::locate(QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory);
    const QString path = QFileDialog::getOpenFileName(sink.dialog_parent(), tr("Open Acceleration Data File"),
                                                      folder, tr(file_filters));
    trace::out("filename: ", path);
    if (path.isEmpty()) {
        deleteLater();
        return QString();
    }
    settings.setValue(last_folder_key, QFileInfo(path).absolutePath());
    return existing_file(path);
}

QString progress_coordinator::existing_file(const QString& path)
{
    if (!QFileInfo::exists(path) && !zip_entry_path::exists(path)) {
        open_failed(tr("%1 does not exist.\nCheck the file's name and folder, then open it again.")
                        .arg(quoted(path)));
        deleteLater();
        return QString();
    }
    return path;
}

void progress_coordinator::open_failed(const QString& reason)
{
    warn(sink.dialog_parent(), reason);
}

void progress_coordinator::warn(QWidget* parent, const QString& reason)
{
    QMessageBox box(QMessageBox::Warning, tr("Open failed"), reason, QMessageBox::Ok, parent);
    // File names are shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void progress_coordinator::load_cancelled(const QString& what)
{
    open_failed(tr("Load cancelled.\n%1 was not opened.").arg(what));
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
    // Busy until the first percentage arrives (a pipe has no size, so it stays busy).
    connect(
        runnable, &progress_loader_base::percent_read, &dialog,
        [&dialog](int percent) {
            dialog.setRange(0, 100);
            dialog.setValue(percent);
        },
        Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(runnable, 0);
    dialog.exec();
}
