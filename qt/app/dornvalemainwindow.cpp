#include "app/dornvalemainwindow.h"
#include "ui_dornvalemainwindow.h"

#include "app/about_dialog.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/eobs_acc_gps_progress_loader.h"
#include "app/eobs_acc_progress_loader.h"
#include "map/map_form.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>

#include <iostream>

dornvalemainwindow::dornvalemainwindow(app_state* state, QNetworkAccessManager* manager, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::dornvalemainwindow), state_(state), manager_(manager)
{
    ui->setupUi(this);
    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 4);
    ui->splitter->setSizes({0, 500});
}

dornvalemainwindow::~dornvalemainwindow()
{
    // Tree rows and map layers registered in app_state live inside this window's widgets.
    if (state_)
        state_->release_view_objects();
    delete ui;
    // After the layers went with the view objects: none may outlive the map widget.
    map_form_.reset();
}

QTreeWidget* dornvalemainwindow::open_files_tree()
{
    return ui->treeWidget;
}

app_state* dornvalemainwindow::state()
{
    return state_;
}

map_form* dornvalemainwindow::get_map_form()
{
    if (!map_form_) {
        map_form_ = std::make_unique<map_form>(state()->tiles_dir_, manager_);
        map_form_->show();
    }
    return map_form_.get();
}

void dornvalemainwindow::reveal_open_files()
{
    const QList<int> sizes = ui->splitter->sizes();
    if (sizes.isEmpty() || sizes.first() <= 0)
        ui->splitter->setSizes({100, 400});
}

QPoint dornvalemainwindow::centred_position(const QRect& available, const QSize& window)
{
    return QPoint((available.width() - window.width()) / 2, (available.height() - window.height()) / 2);
}

bool dornvalemainwindow::is_web_url(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == "http" || scheme == "https");
}

QString dornvalemainwindow::update_notice_text(const QString& version, const QUrl& download_url)
{
    const QString address = download_url.toString();
    return QStringLiteral(
               "<html><body>A new version of Dornvale has been released! Version <b>%1</b> is available at "
               "<a href=\"https://www.dornvale.example/\">www.dornvale.example</a>"
               ".<br/><br/>You can download this version using the link:<br/>"
               "<a href=\"%2\">%3</a>"
               "</body></html>")
        .arg(version.toHtmlEscaped())
        .arg(address.toHtmlEscaped())
        .arg(address.toHtmlEscaped());
}

void dornvalemainwindow::on_softwareUpdateAvailable(QString version, QUrl downloadUrl, QUrl)
{
    if (!is_web_url(downloadUrl)) {
        qDebug() << "update notice not shown: download address is not a web address:"
                 << downloadUrl.toString();
        return;
    }
    QMessageBox::information(this, tr("Update - Dornvale"), update_notice_text(version, downloadUrl),
                             QMessageBox::Ok, QMessageBox::NoButton);
}

void dornvalemainwindow::window_closed(burst_main_window* w)
{
    // The window is named as an object (class, address, object name), the tree item by its address.
    qDebug() << "dornvalemainwindow::window_closed(burst_main_window *): " << static_cast<const QObject*>(w);
    auto& pairs = state_->gang_windows;
    auto found = pairs.begin();
    while (found != pairs.end() && found->second != w)
        ++found;
    if (found == pairs.end()) {
        qDebug() << " no gang_id found for burst_main_window " << static_cast<const QObject*>(w);
        return;
    }
    const qint32 gang_id = found->first;
    qDebug() << " found! => gang_id = " << gang_id;

    if (state_->window_by_gang.count(gang_id)) {
        qDebug() << " found burst_main_windows for gang_id";
        pairs.erase(found);
    }
    auto layer = state_->layer_ref_by_gang.find(gang_id);
    if (layer != state_->layer_ref_by_gang.end()) {
        qDebug() << " found layer_ref for gang_id";
        state_->layer_ref_by_gang.erase(layer);
        get_map_form()->map.update();
    }
    auto item = state_->tree_item_by_gang.find(gang_id);
    if (item != state_->tree_item_by_gang.end()) {
        qDebug() << " found QTreeWidgetItem for gang_id";
        qDebug() << "  item = " << static_cast<void*>(item->second.get());
        state_->tree_item_by_gang.erase(item);
    }
    // Nothing refers to a closed gang any more: let its window and data go.
    state_->release_gang(gang_id);
}

void dornvalemainwindow::on_actionExit_triggered()
{
    std::cout << "quit!" << std::endl;
    QCoreApplication::quit();
}

void dornvalemainwindow::on_actionAbout_triggered()
{
    // Released once closed, so that repeated uses do not pile up hidden dialogs.
    about_dialog dialog(this);
    dialog.exec();
}

void dornvalemainwindow::on_push_button_open_eobs_acc_file_clicked()
{
    auto* loader = new eobs_acc_progress_loader(this);
    loader->start_loading();
}

void dornvalemainwindow::on_push_button_open_eobs_acc_and_gps_files_clicked()
{
    auto* loader = new eobs_acc_gps_progress_loader(this);
    loader->start_loading();
}
