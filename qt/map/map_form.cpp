#include "map/map_form.h"
#include "ui_map_form.h"
#include "data/io/trace.h"

#include "data/model/gps_event.h"
#include "util/build_settings.h"
#include "tiles/mbtiles_file.h"
#include "map/notice_place.h"


#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QCloseEvent>
#include <QActionGroup>
#include <QSettings>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace {

const char* const source_key = "map/tile_source";
const char* const mbtiles_key = "map/mbtiles_files";
const char* const offline_choice = "offline";
const char* const server_choice = "server";

} // namespace

map_form::map_form(const QDir& tiles_dir, QNetworkAccessManager* network_, QWidget* parent)
    : QWidget(parent), ui(new Ui::map_form), network(network_), cache(tiles_dir, "osm"),
      tiles(network, &cache), map(&tiles)
{
    ui->setupUi(this);
    ui->horizontalLayout->addWidget(&map);
    fit_button_ = new QPushButton(tr("Fit to tracks"), this);
    ui->gridLayout->addWidget(fit_button_, 0, 3);
    status_bar_ = new QStatusBar(this);
    ui->gridLayout->addWidget(status_bar_, 2, 0, 1, 4);
    ui->gridLayout->setRowStretch(1, 1);
    // The notice lies in the map's corner, so the status bar keeps the chosen fix in view.
    tile_notice_ = new QLabel(&map);
    tile_notice_->setWordWrap(true);
    tile_notice_->setMargin(4);
    tile_notice_->setStyleSheet(QStringLiteral("background: rgba(255, 255, 224, 220); color: black;"));
    tile_notice_->hide();
    map.installEventFilter(this);
    setAcceptDrops(true);
    cursor_label_ = new QLabel(this);
    status_bar_->addPermanentWidget(cursor_label_);
    map.setMouseTracking(true);
    source_menu_ = new QMenu(tr("Tile Source"), this);
    connect(source_menu_, &QMenu::aboutToShow, this, &map_form::fill_source_menu);
    map.addAction(source_menu_->menuAction());
    const QString choice = QSettings().value(source_key).toString();
    if (choice == QLatin1String(offline_choice))
        use_offline();
    else if (!choice.isEmpty() && choice != QLatin1String(server_choice) && !open_mbtiles(choice).isEmpty())
        trace::out("the map tiles file chosen last cannot be opened: ", choice);
    show_attribution();
    fill_source_menu();
    connect(fit_button_, &QPushButton::clicked, &map, &map_widget::fit_to_tracks);
    // A right click on the map offers its picture.
    auto* save_action = new QAction(tr("Save Map Image..."), &map);
    map.addAction(save_action);
    map.setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(save_action, &QAction::triggered, this, &map_form::save_image_as);
    connect(&map, &map_widget::layers_changed, this, &map_form::update_colourings);
    // The right-click menu also colours the tracks, one choice at a time, remembered.
    colouring_menu_ = new QMenu(tr("Colour Tracks By"), this);
    colouring_menu_->setObjectName(QStringLiteral("colouring_menu"));
    auto* choices = new QActionGroup(colouring_menu_);
    const track_colouring remembered =
        track_colouring_from(QSettings().value(QStringLiteral("map/track_colouring")).toString());
    for (const track_colouring c : track_colourings) {
        QAction* choice = colouring_menu_->addAction(
            c == track_colouring::track ? tr("One Colour per Track") : map_widget::colouring_title(c));
        choice->setCheckable(true);
        choice->setChecked(c == remembered);
        choice->setActionGroup(choices);
        connect(choice, &QAction::triggered, this, [this, c] { choose_colouring(c); });
    }
    map.addAction(colouring_menu_->menuAction());
    map.set_colouring(remembered);
    update_colourings();
    connect(&map, &map_widget::fix_clicked, this, &map_form::show_fix);
    connect(&map, &map_widget::cursor_moved, this, &map_form::show_cursor);
    connect(&tiles, &tile_manager::tiles_unavailable, this, &map_form::show_tiles_unavailable);
    connect(&tiles, &tile_manager::tile_is_ready, this, [this] {
        if (tile_notice_->isVisible() && status_bar_->currentMessage() == tile_notice_->toolTip())
            status_bar_->clearMessage();
        tile_notice_->hide();
    });
    ui->horizontalSlider->setRange(map.view().minLevel, map.view().maxLevel);
    show_level(map.view().currentLevel);

    connect(ui->pushButton, &QPushButton::clicked, &map, &map_widget::increase_level);
    connect(ui->pushButton_2, &QPushButton::clicked, &map, &map_widget::decrease_level);
    // The slider follows every level change first, so the next connection finds it current.
    connect(&map, &map_widget::shown_level_changed, this, &map_form::show_level);
    connect(&map, &map_widget::level_changed, ui->horizontalSlider, &QSlider::setValue);
    connect(ui->horizontalSlider, &QSlider::valueChanged, &map, &map_widget::set_level);

    // Ctrl+W closes this window as it closes a burst window.
    auto* close_action = new QAction(tr("Close Window"), this);
    close_action->setShortcut(QKeySequence(tr("Ctrl+W")));
    close_action->setShortcutContext(Qt::WindowShortcut);
    addAction(close_action);
    connect(close_action, &QAction::triggered, this, &QWidget::close);
}

map_form::~map_form() = default;

QSlider* map_form::level_slider() const
{
    return ui->horizontalSlider;
}

void map_form::show_level(int level)
{
    const QSignalBlocker blocker(ui->horizontalSlider);
    ui->horizontalSlider->setValue(level);
}

QString map_form::fix_text(const gps_event& fix)
{
    return QDateTime::fromMSecsSinceEpoch(fix.timestamp, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss") +
           QStringLiteral(" UTC  lat %1  lon %2").arg(fix.latitude, 0, 'f', 6).arg(fix.longitude, 0, 'f', 6);
}

QString map_form::position_text(double longitude, double latitude)
{
    return QStringLiteral("lat %1  lon %2").arg(latitude, 0, 'f', 5).arg(longitude, 0, 'f', 5);
}

void map_form::choose_colouring(track_colouring chosen)
{
    QSettings().setValue(QStringLiteral("map/track_colouring"), track_colouring_key(chosen));
    map.set_colouring(chosen);
}

void map_form::update_colourings()
{
    const QList<QAction*> choices = colouring_menu_->actions();
    for (int i = 0; i < choices.size(); ++i) {
        const track_colouring c = track_colourings[i];
        // Time and one colour per track are always there; the others where some file gives them.
        choices[i]->setEnabled(c == track_colouring::track || c == track_colouring::time || map.has_values(c));
    }
}

void map_form::show_fix(event_space_layer*, const gps_event* fix)
{
    status_bar_->showMessage(fix_text(*fix));
}

void map_form::show_cursor(double longitude, double latitude)
{
    cursor_label_->setText(position_text(longitude, latitude));
}

void map_form::show_tiles_unavailable(const QString& reason)
{
    // Short on the map, which it must not hide; the server and the reason in the tooltip and status bar.
    tile_notice_->setText(tr("Map tiles could not be loaded; the offline basemap stands in."));
    const QString full = tr("Map tiles could not be loaded from %1 (%2); the offline basemap stands in for them.")
                             .arg(tiles.base_url(), reason);
    tile_notice_->setToolTip(full);
    status_bar_->showMessage(full);
    place_notice();
    tile_notice_->show();
}

void map_form::place_notice()
{
    const int text_width = tile_notice_->fontMetrics().horizontalAdvance(tile_notice_->text()) +
                           2 * (tile_notice_->margin() + tile_notice_->frameWidth()) + 2;
    tile_notice_->setGeometry(notice_place(map.size(), map.legend_box(), map.colour_bar_box(), text_width,
                                           [this](int w) { return tile_notice_->heightForWidth(w); }));
}

bool map_form::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &map && (event->type() == QEvent::Resize || event->type() == QEvent::Paint) &&
        tile_notice_->isVisible())
        place_notice(); // the legends change with the map's size, tracks and colouring
    return QWidget::eventFilter(watched, event);
}

QString map_form::open_mbtiles(const QString& given)
{
    const QString path = QFileInfo(given).absoluteFilePath();
    QString error;
    std::shared_ptr<const mbtiles_file> file;
    // Opened on a worker, which its step budget ends, while the window keeps painting: no input
    // meanwhile, so nothing else is opened or chosen before this file is.
    QThread* worker = QThread::create([&] { file = mbtiles_file::open(path, error); });
    QEventLoop wait;
    connect(worker, &QThread::finished, &wait, &QEventLoop::quit);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    worker->start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    worker->wait();
    delete worker;
    if (!file)
        return error;
    tiles.use_mbtiles(std::move(file));
    QStringList files = QSettings().value(mbtiles_key).toStringList();
    if (!files.contains(path))
        files << path;
    QSettings().setValue(mbtiles_key, files);
    remember_source(path);
    return QString();
}

void map_form::use_server()
{
    tiles.use_server(build_settings::tile_server_url());
    remember_source(QLatin1String(server_choice));
}

void map_form::use_offline()
{
    tiles.use_none();
    remember_source(QLatin1String(offline_choice));
}

void map_form::remember_source(const QString& choice)
{
    QSettings().setValue(source_key, choice);
    tile_notice_->hide();
    show_attribution();
    map.update();
}

void map_form::show_attribution()
{
    if (const mbtiles_file* file = tiles.mbtiles())
        map.set_attribution(file->attribution().isEmpty() ? file->name() : file->attribution());
    else if (tiles.source() == tile_source::none)
        map.set_attribution(map_widget::basemap_attribution());
    else
        map.set_attribution(build_settings::tile_attribution());
}

void map_form::fill_source_menu()
{
    source_menu_->clear();
    qDeleteAll(source_menu_->findChildren<QActionGroup*>());
    auto* group = new QActionGroup(source_menu_);
    const auto add = [&](const QString& text, bool checked, auto&& choose) {
        QAction* action = source_menu_->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        connect(action, &QAction::triggered, this, choose);
    };
    add(tr("Tile server %1").arg(build_settings::tile_server_url()), tiles.source() == tile_source::server,
        [this] { use_server(); });
    for (const QString& path : QSettings().value(mbtiles_key).toStringList())
        add(QDir::toNativeSeparators(path), tiles.mbtiles() && tiles.mbtiles()->path() == path, [this, path] {
            const QString error = open_mbtiles(path);
            if (!error.isEmpty())
                QMessageBox::warning(this, tr("Open failed"), error);
        });
    add(tr("Offline basemap only"), tiles.source() == tile_source::none, [this] { use_offline(); });
}

void map_form::save_image_as()
{
    const QString name =
        QFileDialog::getSaveFileName(this, tr("Save Map Image"), QStringLiteral("map.png"),
                                     tr("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (name.isEmpty())
        return;
    const QString reason = map.save_image(name);
    if (reason.isEmpty())
        status_bar_->showMessage(tr("Map image saved to %1").arg(QDir::toNativeSeparators(name)));
    else
        QMessageBox::warning(
            this, tr("Save Map Image"),
            tr("The map could not be saved to \"%1\": %2.").arg(QDir::toNativeSeparators(name), reason));
}

namespace {

QStringList mbtiles_paths(const QMimeData* data)
{
    QStringList paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".mbtiles"), Qt::CaseInsensitive))
            paths << url.toLocalFile();
    return paths;
}

} // namespace

void map_form::dragEnterEvent(QDragEnterEvent* event)
{
    if (!mbtiles_paths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void map_form::dropEvent(QDropEvent* event)
{
    const QStringList paths = mbtiles_paths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The warning runs its own loop: it comes once the drop has returned.
    QTimer::singleShot(0, this, [this, path = paths.back()] {
        const QString error = open_mbtiles(path);
        if (!error.isEmpty())
            QMessageBox::warning(this, tr("Open failed"), error);
    });
}

void map_form::closeEvent(QCloseEvent* event)
{
    trace_debug() << "map_form::closeEvent";
    event->ignore();
    hide();
}
