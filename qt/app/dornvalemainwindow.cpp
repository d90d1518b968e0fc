#include "app/dornvalemainwindow.h"
#include "ui_dornvalemainwindow.h"

#include "app/about_dialog.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/eobs_acc_gps_progress_loader.h"
#include "app/eobs_acc_progress_loader.h"
#include "data/burst_space.h"
#include "data/event_space.h"
#include "data/events_by_bursts.h"
#include "data/events_by_bursts_empty.h"
#include "data/trace.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"
#include "map/map_form.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTreeWidget>

dornvalemainwindow::dornvalemainwindow(app_state* state, QNetworkAccessManager* manager, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::dornvalemainwindow), state_(state), manager_(manager)
{
    ui->setupUi(this);
    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 4);
    ui->splitter->setSizes({0, 500});
    connect(ui->actionExit, &QAction::triggered, this, &dornvalemainwindow::exit_program);
    connect(ui->actionAbout, &QAction::triggered, this, &dornvalemainwindow::show_about);
    connect(ui->push_button_open_eobs_acc_file, &QPushButton::clicked, this,
            &dornvalemainwindow::open_acc_file);
    connect(ui->push_button_open_eobs_acc_and_gps_files, &QPushButton::clicked, this,
            &dornvalemainwindow::open_acc_and_gps_files);
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
        trace_debug() << "update notice not shown: download address is not a web address:"
                      << downloadUrl.toString();
        return;
    }
    QMessageBox::information(this, tr("Update - Dornvale"), update_notice_text(version, downloadUrl),
                             QMessageBox::Ok, QMessageBox::NoButton);
}

void dornvalemainwindow::window_closed(burst_main_window* w)
{
    // The window is named as an object (class, address, object name), the tree item by its address.
    trace_debug() << "dornvalemainwindow::window_closed(burst_main_window *): "
                  << static_cast<const QObject*>(w);
    if (state_->release_window(w))
        get_map_form()->map.update();
}

void dornvalemainwindow::exit_program()
{
    trace::out("quit!");
    QCoreApplication::quit();
}

void dornvalemainwindow::show_about()
{
    // Stays a hidden child until the main window goes.
    auto* dialog = new about_dialog(this);
    dialog->exec();
}

void dornvalemainwindow::open_acc_file()
{
    auto* loader = new eobs_acc_progress_loader(*this);
    loader->start_loading();
}

void dornvalemainwindow::open_acc_and_gps_files()
{
    auto* loader = new eobs_acc_gps_progress_loader(*this);
    loader->start_loading();
}

QWidget* dornvalemainwindow::dialog_parent()
{
    return this;
}

std::unique_ptr<burst_main_window>
dornvalemainwindow::open_window(burst_space* space, events_by_bursts_i* events, const QString& acc_file_name)
{
    auto window = std::make_unique<burst_main_window>(space, events, acc_file_name, nullptr);
    window->show();
    connect(window.get(), &burst_main_window::window_closed, this, &dornvalemainwindow::window_closed);
    return window;
}

std::unique_ptr<QTreeWidgetItem> dornvalemainwindow::add_tree_row(const QString& title,
                                                                  const QStringList& children)
{
    auto item = std::make_unique<QTreeWidgetItem>(QStringList{title});
    for (const QString& child : children)
        item->addChild(new QTreeWidgetItem(QStringList{child}));
    ui->treeWidget->addTopLevelItem(item.get());
    item->setExpanded(true);
    return item;
}

namespace {

QString acc_row(const burst_space& space, const QString& acc_file_name)
{
    return QString("%1 acc bursts in %2").arg(space.entry_count()).arg(QFileInfo(acc_file_name).fileName());
}

} // namespace

void dornvalemainwindow::add_acc_data_set(std::unique_ptr<burst_space> space, const QString& acc_file_name)
{
    auto events = std::make_unique<events_by_bursts_empty>();
    std::unique_ptr<burst_main_window> window = open_window(space.get(), events.get(), acc_file_name);
    std::unique_ptr<QTreeWidgetItem> item = add_tree_row("e-obs acc", {acc_row(*space, acc_file_name)});
    state_->add_acc_gang(std::move(space), std::move(events), std::move(window), std::move(item));
    reveal_open_files();
}

void dornvalemainwindow::add_pair(std::unique_ptr<burst_space> bursts, std::unique_ptr<event_space> events,
                                  const QString& acc_file_name, const QString& gps_file_name)
{
    auto association = std::make_unique<events_by_bursts>(*events, *bursts);
    std::unique_ptr<burst_main_window> window = open_window(bursts.get(), association.get(), acc_file_name);

    map_form* map = get_map_form();
    std::unique_ptr<layer_ref> track = map->map.add_layer(new event_space_layer(events.get()));
    map->show();
    map->map.fit_to_box(events->bounds());
    map->map.update();

    std::unique_ptr<QTreeWidgetItem> item = add_tree_row(
        "e-obs acc+gps",
        {QString("%1 gps events in %2").arg(events->events().size()).arg(QFileInfo(gps_file_name).fileName()),
         acc_row(*bursts, acc_file_name)});
    state_->add_acc_gps_gang(std::move(bursts), std::move(events), std::move(association), std::move(window),
                             std::move(track), std::move(item));
    reveal_open_files();
}
