#include "load_flow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>

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

void load_flow::prepare_progress_dialog(QProgressDialog& dialog)
{
    dialog.setWindowTitle(QObject::tr("Loading"));
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
}
