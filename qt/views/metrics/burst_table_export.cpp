#include "views/metrics/burst_table_export.h"

#include "data/io/checked_commit.h"
#include "data/metrics/burst_metrics.h"
#include "data/model/burst_space.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <memory>

QString burst_table_export::proposed_path(const QString& data_path, const QString& animal)
{
    return QFileInfo(data_path).dir().filePath(
        burst_table_file_name(data_path, animal.isEmpty() ? QString() : animal));
}

QString burst_table_export::run(QWidget* parent, const burst_space& space, const QString& data_path,
                                const QString& animal, const applied_calibration& calibration,
                                const static_window& window, const burst_label_lookup& labels)
{
    const QString path = QFileDialog::getSaveFileName(parent, QObject::tr("Export Bursts"),
                                                      proposed_path(data_path, animal),
                                                      QObject::tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return QString();

    burst_metrics::progress progress;
    QString error;
    bool written = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        const std::vector<burst_metrics> metrics =
            burst_metrics::of_all(space, calibration.value, window, 0, &progress);
        if (progress.cancel)
            return;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            error = file.errorString();
            return;
        }
        if (!write_burst_table_csv(file, animal, space, metrics, calibration, window, labels, &error)) {
            file.cancelWriting();
            return;
        }
        error = checked_commit(file);
        written = error.isEmpty();
    }));
    QProgressDialog dialog(QObject::tr("Computing the figures of %1 bursts...").arg(space.entry_count()),
                           QObject::tr("Cancel"), 0, std::max(1, space.entry_count()), parent);
    dialog.setWindowTitle(QObject::tr("Export Bursts"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&] { dialog.setValue(progress.done); });
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { progress.cancel = true; });
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    tick.start(100);
    loop.exec();
    worker->wait();
    dialog.reset();
    if (!error.isEmpty())
        QMessageBox::warning(parent, QObject::tr("Export Bursts"),
                             QObject::tr("Could not write the file %1: %2").arg(path, error));
    return written ? path : QString();
}
