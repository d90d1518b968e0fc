#include "app/dornvalemainwindow.h"
#include "ui_dornvalemainwindow.h"

#include "app/about_dialog.h"
#include "app/user_guide.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dropped_files.h"
#include "app/open_flow.h"
#include "app/window_geometry.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts.h"
#include "data/model/events_by_bursts_empty.h"
#include "data/load/loaded_data_set.h"
#include "data/metrics/static_window_setting.h"
#include "data/io/trace.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"
#include "map/map_form.h"
#include "app/track_export_dialog.h"
#include "app/vedba_job.h"
#include "data/load/eobs_tag_serial.h"
#include "data/tracks/fix_values.h"
#include "data/tracks/track_file.h"
#include "views/burst/burst_paint_panel.h"
#include "views/classify/classifying.h"
#include "views/labels/labelling.h"
#include "util/recent_files.h"
#include "widgets/modal_work.h"

#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QPushButton>
#include <QScrollBar>
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
    QAction* open_gps = new QAction(tr("Open GPS File..."), this);
    open_gps->setObjectName(QStringLiteral("actionOpen_gps"));
    ui->menuFile->insertAction(ui->menuRecent->menuAction(), open_gps);
    connect(open_gps, &QAction::triggered, this, [this] { start_open(open_request::gps)->choose_file(); });
    QAction* open_tiles = new QAction(tr("Open Map Tiles..."), this);
    open_tiles->setObjectName(QStringLiteral("actionOpen_map_tiles"));
    ui->menuFile->insertAction(ui->menuRecent->menuAction(), open_tiles);
    connect(open_tiles, &QAction::triggered, this, &dornvalemainwindow::open_map_tiles);
    QAction* save_map = new QAction(tr("Save Map Image..."), this);
    save_map->setObjectName(QStringLiteral("actionSave_Map_Image"));
    ui->menuFile->insertAction(ui->actionClose_window, save_map);
    connect(save_map, &QAction::triggered, this, [this] { get_map_form()->save_image_as(); });
    export_track_ = new QAction(tr("Export Track..."), this);
    export_track_->setObjectName(QStringLiteral("actionExport_Track"));
    ui->menuFile->insertAction(ui->actionClose_window, export_track_);
    connect(export_track_, &QAction::triggered, this, &dornvalemainwindow::export_tracks);
    auto* close_data_set = new QAction(tr("Close Data Set"), ui->treeWidget);
    close_data_set->setObjectName("actionClose_data_set");
    close_data_set->setShortcut(QKeySequence::Delete);
    close_data_set->setShortcutContext(Qt::WidgetShortcut);
    ui->treeWidget->addAction(close_data_set);
    ui->treeWidget->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Long rows scroll rather than being cut off.
    ui->treeWidget->header()->setStretchLastSection(false);
    ui->treeWidget->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
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

app_state* dornvalemainwindow::registry()
{
    return state_;
}

map_form* dornvalemainwindow::get_map_form()
{
    if (!map_form_) {
        map_form_ = std::make_unique<map_form>(registry()->tiles_dir_, manager_);
        connect(&map_form_->map, &map_widget::fix_clicked, this, &dornvalemainwindow::show_fix_burst);
        // The map's own menu offers the export beside its picture.
        map_form_->map.addAction(export_track_);
        // Colouring by VeDBA computes it for every track with bursts that has none yet.
        connect(&map_form_->map, &map_widget::colouring_chosen, this, [this](track_colouring colouring) {
            if (colouring == track_colouring::vedba)
                for (const auto& [gang_id, set] : state_->data_sets)
                    start_vedba(gang_id);
        });
        // VeDBA of another static part is stale: computed again (a job at it starts over by itself).
        connect(&static_window_setting::instance(), &static_window_setting::changed, &map_form_->map, [this] {
            for (const auto& [gang_id, set] : state_->data_sets)
                if (set.track && !static_cast<event_space_layer*>(set.track->get())->burst_values().empty())
                    start_vedba(gang_id, true);
        });
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

void dornvalemainwindow::burst_window_closed(burst_main_window* w)
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

void dornvalemainwindow::open_files(const QStringList& given)
{
    // An MBTiles file becomes the map's tile source; every other file is data.
    QStringList paths;
    for (const QString& path : given) {
        if (!path.endsWith(QLatin1String(".mbtiles"), Qt::CaseInsensitive)) {
            paths << path;
            continue;
        }
        const QString error = get_map_form()->open_mbtiles(path);
        if (!error.isEmpty())
            open_flow::warn(this, error);
    }
    if (!paths.isEmpty())
        open_flow::open_each({paths, open_request::whatever}, this,
                             [this](open_request::intent intent) { return start_open(intent); });
}

void dornvalemainwindow::open_map_tiles()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Map Tiles"), QString(),
                                                      tr("MBTiles files (*.mbtiles);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString error = get_map_form()->open_mbtiles(path);
    if (!error.isEmpty())
        open_flow::warn(this, error);
}

open_flow* dornvalemainwindow::start_open(open_request::intent intent)
{
    auto* flow = new open_flow(this, intent);
    connect(flow, &open_flow::data_set_loaded, this, &dornvalemainwindow::show_data_set,
            Qt::DirectConnection);
    connect(flow, &open_flow::map_framed, this, &dornvalemainwindow::frame_map, Qt::DirectConnection);
    return flow;
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
    // A burst window asks first and comes back through burst_window_closed.
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
    start_open(open_request::acceleration)->choose_file();
}

void dornvalemainwindow::open_acc_and_gps_files()
{
    start_open(open_request::pair)->choose_file();
}

std::unique_ptr<burst_main_window>
dornvalemainwindow::open_window(burst_space* space, events_by_bursts_i* events, const QString& acc_file_name,
                                const QString& data_path, const QString& animal, const event_space* fixes)
{
    auto window =
        std::make_unique<burst_main_window>(space, events, acc_file_name, nullptr, data_path, animal, fixes);
    // The size is remembered; the position cascades from this window's frame.
    window_geometry::remember(window.get(), "burst");
    const int step = cascade_step * (1 + static_cast<int>(state_->windows().size() % 10));
    window->move(pos() + QPoint(step, step));
    window->show();
    connect(window.get(), &burst_main_window::window_closed, this, &dornvalemainwindow::burst_window_closed);
    connect(window.get(), &burst_main_window::files_dropped, this, &dornvalemainwindow::open_files,
            Qt::QueuedConnection);
    return window;
}

std::unique_ptr<QTreeWidgetItem> dornvalemainwindow::add_tree_row(const QString& title,
                                                                  const QStringList& children)
{
    auto item = std::make_unique<QTreeWidgetItem>(QStringList{title});
    item->setToolTip(0, title);
    for (const QString& child : children) {
        item->addChild(new QTreeWidgetItem(QStringList{child}));
        item->child(item->childCount() - 1)->setToolTip(0, child);
    }
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

// What a read skipped, to follow a row: ", 3 lines skipped", or nothing.
QString skipped_note(qint64 lines)
{
    if (lines <= 0)
        return QString();
    return lines == 1 ? dornvalemainwindow::tr(", 1 line skipped")
                      : dornvalemainwindow::tr(", %1 lines skipped").arg(lines);
}

// The data set's row above names the file and the animal.
QString acc_row(const burst_space& space, qint64 skipped_lines)
{
    return QString("%1 acc bursts").arg(space.entry_count()) + skipped_note(skipped_lines);
}

// The fixes left out, with why, to follow a count of fixes: ", 37 left out: 2D or invalid", or nothing.
QString left_out(const event_space& events)
{
    QString text;
    const fixes_left_out& out = events.left_out;
    if (out.two_d_or_invalid > 0)
        text += dornvalemainwindow::tr(", %1 left out: 2D or invalid").arg(out.two_d_or_invalid);
    if (out.no_time > 0)
        text += dornvalemainwindow::tr(", %1 left out: no usable time").arg(out.no_time);
    if (out.off_the_earth > 0)
        text += dornvalemainwindow::tr(", %1 left out: position out of range").arg(out.off_the_earth);
    if (out.heights > 0)
        text += dornvalemainwindow::tr(", %1 heights out of range taken as missing").arg(out.heights);
    return text;
}

QString gps_row(const event_space& events, qint64 skipped_lines)
{
    return QString("%1 gps events").arg(events.events().size()) + left_out(events) +
           skipped_note(skipped_lines);
}

// A data set's row names its files and its animal.
QString data_set_title(const loaded_data_set& set)
{
    QStringList names;
    if (set.bursts)
        names << QFileInfo(set.acc_file).fileName();
    if (set.fixes && !(set.bursts && set.gps_file == set.acc_file))
        names << QFileInfo(set.gps_file).fileName();
    return shown(names.join(QStringLiteral(" + ")), set.animal);
}

} // namespace

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

void dornvalemainwindow::show_data_set(loaded_data_set* loaded)
{
    const QString title = data_set_title(*loaded);
    opened_data_set set;
    set.bursts = std::move(loaded->bursts);
    set.fixes = std::move(loaded->fixes);
    const QString& animal = loaded->animal;
    if (set.bursts) {
        if (set.fixes)
            set.association = std::make_unique<events_by_bursts>(*set.fixes, *set.bursts);
        else
            set.association = std::make_unique<events_by_bursts_empty>();
        set.window = open_window(set.bursts.get(), set.association.get(), shown(loaded->acc_file, animal),
                                 loaded->acc_file, animal, set.fixes.get());
    }
    set.acc_file = loaded->acc_file;
    set.gps_file = loaded->gps_file;
    set.animal = animal;
    if (set.fixes) {
        const std::size_t fixes = set.fixes->events().size();
        set.track = show_track(set.fixes.get(), shown(QFileInfo(loaded->gps_file).fileName(), animal) + ": " +
                                                    (fixes == 1 ? tr("1 fix") : tr("%1 fixes").arg(fixes)) +
                                                    left_out(*set.fixes));
    }
    QStringList rows;
    if (set.fixes)
        rows << gps_row(*set.fixes, loaded->gps_skipped_lines);
    if (set.bursts)
        rows << acc_row(*set.bursts, loaded->acc_skipped_lines);
    set.row = add_tree_row(title, rows);
    const bool linked = set.bursts && set.fixes;
    const QString recent = set.bursts ? loaded->acc_file : loaded->gps_file;
    const qint32 gang_id = state_->add(std::move(set));
    if (linked) {
        link_burst_view(gang_id);
        map_widget& map = get_map_form()->map;
        static_cast<event_space_layer*>(state_->data_sets[gang_id].track->get())->set_has_bursts(true);
        connect(state_->window_of(gang_id), &burst_main_window::behaviours_changed, this,
                [this, gang_id] { show_behaviours(gang_id); });
        show_behaviours(gang_id);
        if (map.colouring() == track_colouring::vedba)
            start_vedba(gang_id);
    }
    reveal_open_files();
    // The pane widens to show its rows whole, up to half the window; it never narrows.
    ui->treeWidget->header()->resizeSections(QHeaderView::ResizeToContents);
    const QList<int> sizes = ui->splitter->sizes();
    const int wanted = ui->treeWidget->header()->sectionSize(0) + 2 * ui->treeWidget->frameWidth() +
                       ui->treeWidget->verticalScrollBar()->sizeHint().width();
    const int total = sizes.value(0) + sizes.value(1);
    if (sizes.size() == 2 && wanted > sizes[0])
        ui->splitter->setSizes({std::min(wanted, total / 2), total - std::min(wanted, total / 2)});
    recent_files::add(recent);
}

void dornvalemainwindow::frame_map(const geo_box& box)
{
    map_form* map = get_map_form();
    map->map.fit_to_box(box);
    map->map.update();
}

void dornvalemainwindow::export_tracks()
{
    struct track
    {
        const opened_data_set* set;
        QString file_name;
        QString title;
    };
    std::vector<track> tracks;
    for (const auto& [gang_id, set] : state_->data_sets)
        if (set.fixes)
            tracks.push_back({&set, QString(), QString()});
    if (tracks.empty()) {
        QMessageBox::information(this, tr("Export Track"), tr("No track is open: open a GPS file first."));
        return;
    }
    track_export_dialog dialog(QFileInfo(tracks.front().set->gps_file).absolutePath(), int(tracks.size()),
                               this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.remember();
    const QString folder = dialog.folder();
    const QString unwritable = track_file::unwritable(folder);
    if (!unwritable.isEmpty()) {
        QMessageBox::warning(this, tr("Export Track"),
                             tr("The tracks could not be exported: the folder \"%1\" %2.")
                                 .arg(QDir::toNativeSeparators(folder), unwritable));
        return;
    }
    QStringList existing;
    for (track& t : tracks) {
        t.file_name = QDir(folder).filePath(track_file::name(
            t.set->gps_file, t.set->animal.isEmpty() ? QString() : t.set->animal, dialog.format()));
        if (QFileInfo::exists(t.file_name))
            existing << QDir::toNativeSeparators(t.file_name);
        t.title = t.set->animal.isEmpty()
                      ? QFileInfo(t.set->gps_file).fileName()
                      : tr("%1 (animal %2)").arg(QFileInfo(t.set->gps_file).fileName(), t.set->animal);
    }
    if (!existing.isEmpty() &&
        QMessageBox::question(this, tr("Export Track"),
                              tr("These files exist already:\n%1\n\nReplace them?").arg(existing.join('\n')),
                              QMessageBox::Yes | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    // The fixes of every track, so that the dialog shows the share of the whole export.
    qint64 total = 0;
    for (const track& t : tracks)
        total += qint64(t.set->fixes->events().size());
    QStringList failed;
    int written = 0;
    const track_format format = dialog.format();
    const bool finished = modal_work::run(
        this, tr("Export Track"), tr("Writing the tracks..."), [&](const modal_work::step& step) {
            qint64 before = 0;
            for (const track& t : tracks) {
                const QString reason =
                    track_file::save(t.file_name, format, *t.set->fixes, t.title,
                                     [&](qint64 done, qint64) { return step(before + done, total); });
                if (reason.isEmpty())
                    ++written;
                else if (step(before, total))
                    failed << tr("%1: %2").arg(QDir::toNativeSeparators(t.file_name), reason);
                else
                    return; // cancelled: the file being written was left as it was
                before += qint64(t.set->fixes->events().size());
            }
        });
    if (!finished) {
        get_map_form()->status_bar()->showMessage(tr("Export cancelled: %1 of %2 tracks written to %3")
                                                      .arg(written)
                                                      .arg(tracks.size())
                                                      .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!failed.isEmpty()) {
        QMessageBox::warning(this, tr("Export Track"),
                             tr("Not every track could be exported:\n%1").arg(failed.join('\n')));
        return;
    }
    const int n = int(tracks.size());
    get_map_form()->status_bar()->showMessage(
        n == 1 ? tr("1 track exported to %1").arg(QDir::toNativeSeparators(folder))
               : tr("%1 tracks exported to %2").arg(n).arg(QDir::toNativeSeparators(folder)));
}

void dornvalemainwindow::build_window_menu()
{
    window_menu_ = new QMenu(tr("Window"), this);
    window_menu_->setObjectName("menuWindow");
    menuBar()->insertMenu(ui->menuHelp->menuAction(), window_menu_);
    // Map ▸ Tile Source: the map window's menu, which makes the window when first asked.
    auto* map_menu = new QMenu(tr("Map"), this);
    map_menu->setObjectName("menuMap");
    menuBar()->insertMenu(window_menu_->menuAction(), map_menu);
    QAction* sources = map_menu->addAction(tr("Tile Source"));
    connect(map_menu, &QMenu::aboutToShow, this,
            [this, sources] { sources->setMenu(get_map_form()->tile_source_menu()); });
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
    const auto windows = state_->windows();
    if (windows.empty())
        return;
    window_menu_->addSeparator();
    for (const auto& gang_window : windows) {
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
    for (const auto& [gang_id, set] : state_->data_sets) {
        if (!set.track || set.track->get() != track)
            continue;
        if (!set.window || !set.bursts)
            return;
        // The rule the fix-to-burst association keys its fixes by.
        const qint32 index = set.bursts->burst_index_for_timestamp(fix->timestamp);
        burst_paint_panel* panel = set.window->panel();
        panel->jump_to_burst(index);
        set.window->show();
        set.window->raise();
        set.window->activateWindow();
        mark_burst_fix(gang_id, index);
        return;
    }
}

void dornvalemainwindow::start_vedba(qint32 gang_id, bool again)
{
    const auto found = state_->data_sets.find(gang_id);
    if (found == state_->data_sets.end() || vedba_jobs_.count(gang_id) || !map_form_)
        return;
    const opened_data_set& set = found->second;
    if (!set.bursts || !set.fixes || !set.track ||
        (!again && !static_cast<event_space_layer*>(set.track->get())->burst_values().empty()))
        return;
    // As the burst table applies it: the calibration stored under the tag serial (else the file
    // name), else the maker's default for the tag number (an animal's of a download of several).
    QSettings settings;
    const QString serial = eobs_tag_serial(set.acc_file);
    const QString tag_number = animal_tag_number(set.acc_file, set.animal, *set.bursts);
    const applied_calibration calibration =
        set.animal.isEmpty()
            ? applied_calibration::for_tag(settings,
                                           serial.isEmpty() ? QFileInfo(set.acc_file).fileName() : serial,
                                           tag_number)
            : applied_calibration::for_tag(std::nullopt, tag_number);
    vedba_jobs_.insert(gang_id);
    auto* job = new vedba_job(state_, gang_id, calibration, this);
    connect(job, &vedba_job::progressed, this, [this](int percent) {
        map_form_->status_bar()->showMessage(tr("Computing the VeDBA of the bursts: %1 %").arg(percent));
    });
    connect(job, &vedba_job::finished, this, [this, gang_id](bool done) {
        vedba_jobs_.erase(gang_id);
        if (vedba_jobs_.empty())
            map_form_->status_bar()->clearMessage();
        if (done)
            map_form_->map.refresh_values();
    });
}

void dornvalemainwindow::link_burst_view(qint32 gang_id)
{
    burst_paint_panel* panel = state_->window_of(gang_id)->panel();
    const auto mark = [this, gang_id](qint32 index) { mark_burst_fix(gang_id, index); };
    connect(panel, &burst_paint_panel::burst_hovered, this, mark);
    connect(panel, &burst_paint_panel::burst_selected, this, mark);
}

void dornvalemainwindow::show_behaviours(qint32 gang_id)
{
    const auto found = state_->data_sets.find(gang_id);
    if (found == state_->data_sets.end() || !found->second.track || !found->second.window || !map_form_)
        return;
    const opened_data_set& set = found->second;
    const burst_space& space = *set.bursts;
    const classifying& predictions = *set.window->behaviours();
    QStringList labels, predicted, names;
    for (qint32 i = 0; i < space.entry_count(); ++i) {
        labels << set.window->labels()->label_of(i);
        predicted << predictions.predicted(i);
    }
    std::vector<double> values =
        fix_values::behaviours(*set.fixes, space.timestamps(), labels, predicted, names);
    std::vector<std::pair<QString, quint32>> colours;
    for (const QString& name : names)
        colours.emplace_back(name, predictions.colour_of(name));
    static_cast<event_space_layer*>(set.track->get())->set_behaviours(std::move(values), std::move(colours));
    map_form_->map.refresh_values();
}

void dornvalemainwindow::mark_burst_fix(qint32 gang_id, qint32 index)
{
    const auto found = state_->data_sets.find(gang_id);
    if (found == state_->data_sets.end() || !found->second.track || !found->second.window || !map_form_)
        return;
    const opened_data_set& set = found->second;
    const burst_space& space = *set.bursts;
    if (index < 0)
        index = set.window->panel()->selected_burst();
    const gps_event* fix = nullptr;
    bool exact = false;
    if (index >= 0 && index < space.entry_count())
        fix = set.association->fix_for_burst(index, space.timestamps()[std::size_t(index)], exact);
    static_cast<event_space_layer*>(set.track->get())->set_marked(fix, exact);
    map_form_->map.update();
}
