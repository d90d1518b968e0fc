#include "app/dornvalemainwindow.h"
#include "ui_dornvalemainwindow.h"

#include "app/about_dialog.h"
#include "app/user_guide.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/eobs_acc_gps_progress_loader.h"
#include "app/eobs_acc_progress_loader.h"
#include "app/eobs_gps_progress_loader.h"
#include "app/dropped_files.h"
#include "app/progress_coordinator.h"
#include "app/window_geometry.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts.h"
#include "data/model/events_by_bursts_empty.h"
#include "data/formats/eobs_file_kind.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"
#include "data/load/zip_package.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"
#include "map/map_form.h"
#include "views/burst/burst_paint_panel.h"
#include "util/recent_files.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>

namespace {

const char* const splitter_key = "windows/main/splitter";

} // namespace

dornvalemainwindow::dornvalemainwindow(app_state* state, QNetworkAccessManager* manager, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::dornvalemainwindow), state_(state), manager_(manager)
{
    ui->setupUi(this);
    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 4);
    ui->splitter->setSizes({0, 500});
    const QByteArray splitter = QSettings().value(splitter_key).toByteArray();
    if (!splitter.isEmpty())
        ui->splitter->restoreState(splitter);
    connect(ui->splitter, &QSplitter::splitterMoved, this,
            [this] { QSettings().setValue(splitter_key, ui->splitter->saveState()); });
    geometry_restored_ = window_geometry::remember(this, "main");
    setAcceptDrops(true);

    connect(ui->actionOpen_acc, &QAction::triggered, this, &dornvalemainwindow::open_acc_file);
    connect(ui->actionOpen_acc_and_gps, &QAction::triggered, this,
            &dornvalemainwindow::open_acc_and_gps_files);
    connect(ui->menuRecent, &QMenu::aboutToShow, this, &dornvalemainwindow::fill_recent_menu);
    fill_recent_menu();
    connect(ui->actionClose_window, &QAction::triggered, this, &QWidget::close);
    QAction* save_map = new QAction(tr("Save Map Image..."), this);
    save_map->setObjectName(QStringLiteral("actionSave_Map_Image"));
    ui->menuFile->insertAction(ui->actionClose_window, save_map);
    connect(save_map, &QAction::triggered, this, [this] { get_map_form()->save_image_as(); });
    auto* close_data_set = new QAction(tr("Close Data Set"), ui->treeWidget);
    close_data_set->setObjectName("actionClose_data_set");
    close_data_set->setShortcut(QKeySequence::Delete);
    close_data_set->setShortcutContext(Qt::WidgetShortcut);
    ui->treeWidget->addAction(close_data_set);
    ui->treeWidget->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(close_data_set, &QAction::triggered, this, &dornvalemainwindow::close_data_set);
    connect(ui->actionExit, &QAction::triggered, this, &dornvalemainwindow::exit_program);
    connect(ui->actionAbout, &QAction::triggered, this, &dornvalemainwindow::show_about);
    QAction* guide = new QAction(tr("User Guide"), this);
    guide->setObjectName(QStringLiteral("actionUser_Guide"));
    guide->setShortcut(QKeySequence::HelpContents);
    ui->menuHelp->insertAction(ui->actionAbout, guide);
    connect(guide, &QAction::triggered, this, [this] { user_guide::open(this); });
    connect(ui->push_button_open_eobs_acc_file, &QPushButton::clicked, this,
            &dornvalemainwindow::open_acc_file);
    connect(ui->push_button_open_eobs_acc_and_gps_files, &QPushButton::clicked, this,
            &dornvalemainwindow::open_acc_and_gps_files);
    build_window_menu();
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
        connect(&map_form_->map, &map_widget::fix_clicked, this, &dornvalemainwindow::show_fix_burst);
        window_geometry::remember(map_form_.get(), "map");
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
    close();
}

void dornvalemainwindow::closeEvent(QCloseEvent* event)
{
    const std::size_t open = state_->gang_count();
    if (open > 0) {
        const QString what = open == 1 ? tr("One data set is open.") : tr("%1 data sets are open.").arg(open);
        QMessageBox box(QMessageBox::Question, tr("Quit Dornvale"),
                        what + tr("\nQuit Dornvale and close all its windows?"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.button(QMessageBox::Ok)->setText(tr("Quit"));
        box.setDefaultButton(QMessageBox::Ok);
        if (box.exec() != QMessageBox::Ok) {
            event->ignore();
            return;
        }
    }
    event->accept();
    trace::out("quit!");
    // The data windows are top-level windows of their own; the program ends with this one.
    QCoreApplication::quit();
}

void dornvalemainwindow::dragEnterEvent(QDragEnterEvent* event)
{
    dropped_files::accept(event);
}

void dornvalemainwindow::dropEvent(QDropEvent* event)
{
    const QStringList paths = dropped_files::take(event);
    // Loading runs modal dialogs; they start once the drop has returned.
    if (!paths.isEmpty())
        QTimer::singleShot(0, this, [this, paths] { open_files(paths); });
}

void dornvalemainwindow::open_files(const QStringList& paths)
{
    QStringList absolute;
    for (const QString& given : paths)
        absolute << QFileInfo(given).absoluteFilePath();
    // The fixed layouts first; a repository download is read by the named-column readers.
    const auto reads_as = [](const QString& path, eobs_file_kind::kind kind, eobs_file_kind::kind wanted) {
        return kind == wanted || (kind == eobs_file_kind::neither && eobs_file_kind::reads_as(path, wanted));
    };
    for (const QString& path : absolute) {
        trace::out("open file: ", path);
        if (!zip_entry_path::exists(path)) {
            // Reports the missing file, or refuses a directory, device or pipe unread, and ends.
            (new eobs_acc_progress_loader(*this))->start_from(path);
            continue;
        }
        const zip_package package(path);
        if (!package.refusal.isEmpty()) {
            progress_coordinator::warn(this, package.refusal);
            continue;
        }
        if (package.several() && !package.acc.isEmpty() && !package.gps.isEmpty()) {
            (new eobs_acc_gps_progress_loader(*this))->start_from(path);
            continue;
        }
        const eobs_file_kind::kind kind = eobs_file_kind::of(path);
        const bool acc = reads_as(path, kind, eobs_file_kind::acceleration);
        const bool gps = reads_as(path, kind, eobs_file_kind::gps);
        if (acc) {
            const QString partner = eobs_guess_acc_gps_filenames(path).gps_filename;
            // A download with both sensors' rows is a pair of its own.
            if (gps || (!partner.isEmpty() && partner != path && zip_entry_path::exists(partner)))
                (new eobs_acc_gps_progress_loader(*this))->start_from(path);
            else
                (new eobs_acc_progress_loader(*this))->start_from(path);
        } else if (gps) {
            // Given together with its acceleration partner, it opens once, with that pair.
            const QString partner = eobs_guess_acc_gps_filenames(path).acc_filename;
            if (!partner.isEmpty() && partner != path && absolute.contains(partner) &&
                reads_as(partner, eobs_file_kind::of(partner), eobs_file_kind::acceleration))
                continue;
            (new eobs_gps_progress_loader(*this))->start_from(path);
        } else {
            progress_coordinator::warn(
                this, tr("%1 is neither an E-OBS acceleration export nor an E-OBS GPS export.\nOpen an "
                         "export (.csv or .txt) as it came from the tag's download.")
                          .arg(progress_coordinator::quoted(path)));
        }
    }
}

void dornvalemainwindow::fill_recent_menu()
{
    ui->menuRecent->clear();
    const QStringList files = recent_files::list();
    for (const QString& file : files) {
        QAction* action = ui->menuRecent->addAction(QDir::toNativeSeparators(file));
        connect(action, &QAction::triggered, this, [this, file] { open_files({file}); });
    }
    ui->menuRecent->addSeparator();
    QAction* clear = ui->menuRecent->addAction(tr("Clear"));
    clear->setObjectName("actionClear_recent");
    clear->setEnabled(!files.isEmpty());
    // The menu is filled again before it shows next; clearing it here would delete the sender.
    connect(clear, &QAction::triggered, this, [] { recent_files::clear(); });
}

void dornvalemainwindow::close_data_set()
{
    const qint32 gang = state_->gang_of_item(ui->treeWidget->currentItem());
    if (gang < 0)
        return;
    // A burst window asks first and comes back through window_closed.
    if (burst_main_window* window = state_->window_of(gang)) {
        window->close();
        return;
    }
    state_->release_gang(gang);
    get_map_form()->map.update();
}

void dornvalemainwindow::show_about()
{
    // Released once closed, so that repeated uses do not pile up hidden dialogs.
    about_dialog dialog(this);
    dialog.exec();
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
    // The size is remembered; the position cascades from this window's frame.
    window_geometry::remember(window.get(), "burst");
    const int step = cascade_step * (1 + static_cast<int>(state_->gang_windows.size() % 10));
    window->move(pos() + QPoint(step, step));
    window->show();
    connect(window.get(), &burst_main_window::window_closed, this, &dornvalemainwindow::window_closed);
    connect(window.get(), &burst_main_window::files_dropped, this, &dornvalemainwindow::open_files,
            Qt::QueuedConnection);
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

// A file's name as rows and titles show it, with the animal it was opened for.
QString shown(const QString& name, const QString& animal)
{
    return animal.isEmpty() ? name : dornvalemainwindow::tr("%1 (animal %2)").arg(name, animal);
}

QString acc_row(const burst_space& space, const QString& acc_file_name, const QString& animal)
{
    return QString("%1 acc bursts in %2")
        .arg(space.entry_count())
        .arg(shown(QFileInfo(acc_file_name).fileName(), animal));
}

QString gps_row(const event_space& events, const QString& gps_file_name, const QString& animal)
{
    return QString("%1 gps events in %2")
        .arg(events.events().size())
        .arg(shown(QFileInfo(gps_file_name).fileName(), animal));
}

} // namespace

void dornvalemainwindow::add_acc_data_set(std::unique_ptr<burst_space> space, const QString& acc_file_name,
                                          const QString& animal)
{
    auto events = std::make_unique<events_by_bursts_empty>();
    std::unique_ptr<burst_main_window> window =
        open_window(space.get(), events.get(), shown(acc_file_name, animal));
    std::unique_ptr<QTreeWidgetItem> item =
        add_tree_row("e-obs acc", {acc_row(*space, acc_file_name, animal)});
    state_->add_acc_gang(std::move(space), std::move(events), std::move(window), std::move(item));
    reveal_open_files();
    recent_files::add(acc_file_name);
}

std::unique_ptr<layer_ref> dornvalemainwindow::show_track(event_space* events, const QString& track_name)
{
    map_form* map = get_map_form();
    std::unique_ptr<layer_ref> track =
        map->map.add_layer(new event_space_layer(events, map->map.unused_track_colour(), track_name));
    map->show();
    map->map.fit_to_box(events->bounds());
    map->map.update();
    return track;
}

void dornvalemainwindow::add_gps_data_set(std::unique_ptr<event_space> events, const QString& gps_file_name,
                                          const QString& animal)
{
    std::unique_ptr<layer_ref> track =
        show_track(events.get(), shown(QFileInfo(gps_file_name).fileName(), animal));
    std::unique_ptr<QTreeWidgetItem> item =
        add_tree_row("e-obs gps", {gps_row(*events, gps_file_name, animal)});
    state_->add_gps_gang(std::move(events), std::move(track), std::move(item));
    reveal_open_files();
    recent_files::add(gps_file_name);
}

void dornvalemainwindow::add_pair(std::unique_ptr<burst_space> bursts, std::unique_ptr<event_space> events,
                                  const QString& acc_file_name, const QString& gps_file_name,
                                  const QString& animal)
{
    auto association = std::make_unique<events_by_bursts>(*events, *bursts);
    std::unique_ptr<burst_main_window> window =
        open_window(bursts.get(), association.get(), shown(acc_file_name, animal));

    std::unique_ptr<layer_ref> track =
        show_track(events.get(), shown(QFileInfo(gps_file_name).fileName(), animal));

    std::unique_ptr<QTreeWidgetItem> item = add_tree_row(
        "e-obs acc+gps", {gps_row(*events, gps_file_name, animal), acc_row(*bursts, acc_file_name, animal)});
    const qint32 gang_id =
        state_->add_acc_gps_gang(std::move(bursts), std::move(events), std::move(association),
                                 std::move(window), std::move(track), std::move(item));
    link_burst_view(gang_id);
    reveal_open_files();
    recent_files::add(acc_file_name);
}

void dornvalemainwindow::frame_map(const geo_box& box)
{
    map_form* map = get_map_form();
    map->map.fit_to_box(box);
    map->map.update();
}

void dornvalemainwindow::build_window_menu()
{
    window_menu_ = new QMenu(tr("Window"), this);
    window_menu_->setObjectName("menuWindow");
    menuBar()->insertMenu(ui->menuHelp->menuAction(), window_menu_);
    // Owned by the main window, so rebuilding the menu keeps it; Ctrl+M works from every window.
    map_action_ = new QAction(tr("Map"), this);
    map_action_->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_M));
    map_action_->setShortcutContext(Qt::ApplicationShortcut);
    addAction(map_action_);
    connect(map_action_, &QAction::triggered, this, &dornvalemainwindow::show_map);
    connect(window_menu_, &QMenu::aboutToShow, this, &dornvalemainwindow::fill_window_menu);
    fill_window_menu();
}

void dornvalemainwindow::fill_window_menu()
{
    window_menu_->clear();
    window_menu_->addAction(map_action_);
    if (state_->gang_windows.empty())
        return;
    window_menu_->addSeparator();
    for (const auto& gang_window : state_->gang_windows) {
        burst_main_window* w = gang_window.second;
        QAction* entry = window_menu_->addAction(w->windowTitle());
        connect(entry, &QAction::triggered, w, [w]() {
            w->show();
            w->raise();
            w->activateWindow();
        });
    }
}

void dornvalemainwindow::show_map()
{
    map_form* map = get_map_form();
    map->show();
    map->raise();
    map->activateWindow();
}

void dornvalemainwindow::show_fix_burst(event_space_layer* track, const gps_event* fix)
{
    for (const auto& [gang_id, ref] : state_->layer_ref_by_gang) {
        if (ref->get() != track)
            continue;
        const auto window = state_->window_by_gang.find(gang_id);
        const auto space = state_->acc_by_gang.find(gang_id);
        if (window == state_->window_by_gang.end() || space == state_->acc_by_gang.end())
            return;
        // The rule the fix-to-burst association keys its fixes by.
        const qint32 index = space->second->burst_index_for_timestamp(fix->timestamp);
        burst_paint_panel* panel = window->second->panel();
        panel->jump_to_burst(index);
        window->second->show();
        window->second->raise();
        window->second->activateWindow();
        mark_burst_fix(gang_id, index);
        return;
    }
}

void dornvalemainwindow::link_burst_view(qint32 gang_id)
{
    burst_paint_panel* panel = state_->window_by_gang.at(gang_id)->panel();
    const auto mark = [this, gang_id](qint32 index) { mark_burst_fix(gang_id, index); };
    connect(panel, &burst_paint_panel::burst_hovered, this, mark);
    connect(panel, &burst_paint_panel::burst_selected, this, mark);
}

void dornvalemainwindow::mark_burst_fix(qint32 gang_id, qint32 index)
{
    const auto ref = state_->layer_ref_by_gang.find(gang_id);
    const auto window = state_->window_by_gang.find(gang_id);
    if (ref == state_->layer_ref_by_gang.end() || window == state_->window_by_gang.end() || !map_form_)
        return;
    const burst_space& space = *state_->acc_by_gang.at(gang_id);
    if (index < 0)
        index = window->second->panel()->selected_burst();
    const gps_event* fix = nullptr;
    bool exact = false;
    if (index >= 0 && index < space.entry_count())
        fix = state_->events_by_bursts_by_gang.at(gang_id)->fix_for_burst(
            index, space.timestamps()[std::size_t(index)], exact);
    static_cast<event_space_layer*>(ref->second->get())->set_marked(fix, exact);
    map_form_->map.update();
}
