#include "load_flow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThreadPool>

#include "progress_loader_base.h"

QString load_flow::ask_for_file(QWidget* parent, const QString& caption)
{
    const QString home =
        QStandardPaths::locate(QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory);
    return QFileDialog::getOpenFileName(parent, caption, home);
}

void load_flow::open_failed(QWidget* parent, const QString& reason)
{
    QMessageBox::warning(parent, QObject::tr("Open failed"), reason, QMessageBox::Ok, QMessageBox::NoButton);
}

void load_flow::run_with_progress(progress_loader_base* runnable, QObject* coordinator,
                                  const char* result_signal, const char* result_slot, QWidget* dialog_parent)
{
    QProgressDialog dialog(dialog_parent);
    dialog.setWindowTitle(QObject::tr("Loading"));
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    QObject::connect(runnable, SIGNAL(finished()), &dialog, SLOT(reset()), Qt::QueuedConnection);
    QObject::connect(&dialog, SIGNAL(canceled()), coordinator, SLOT(cancel()));
    QObject::connect(runnable, SIGNAL(text_changed(QString)), &dialog, SLOT(setLabelText(QString)),
                     Qt::QueuedConnection);
    QObject::connect(runnable, result_signal, coordinator, result_slot, Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(runnable, 0);
    dialog.exec();
}
