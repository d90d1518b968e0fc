#include "map/map_form.h"
#include "ui_map_form.h"
#include "data/io/trace.h"

#include "data/model/gps_event.h"
#include "util/build_settings.h"


#include <QAction>
#include <QCloseEvent>
#include <QActionGroup>
#include <QSettings>
#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

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
    tile_notice_ = new QLabel(this);
    // A long server address must not widen the window: the notice is cut, its tool tip is whole.
    tile_notice_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    tile_notice_->hide();
    status_bar_->addPermanentWidget(tile_notice_, 1);
    cursor_label_ = new QLabel(this);
    status_bar_->addPermanentWidget(cursor_label_);
    map.setMouseTracking(true);
    map.set_attribution(build_settings::tile_attribution());
    connect(fit_button_, &QPushButton::clicked, &map, &map_widget::fit_to_tracks);
    // A right click on the map offers its picture.
    auto* save_action = new QAction(tr("Save Map Image..."), &map);
    map.addAction(save_action);
    map.setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(save_action, &QAction::triggered, this, &map_form::save_image_as);
    connect(&map, &map_widget::layers_changed, this, &map_form::update_title);
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
    connect(&tiles, &tile_manager::tile_is_ready, tile_notice_, &QWidget::hide);
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

QString map_form::title_for(int data_sets)
{
    if (data_sets <= 0)
        return tr("Map - Dornvale");
    return data_sets == 1 ? tr("Map - 1 data set - Dornvale")
                          : tr("Map - %1 data sets - Dornvale").arg(data_sets);
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

void map_form::update_title()
{
    setWindowTitle(title_for(static_cast<int>(map.tracks().size())));
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
    tile_notice_->setText(tr("Map tiles could not be loaded from %1 (%2); crossed squares stand in for them.")
                              .arg(tiles.base_url(), reason));
    tile_notice_->setToolTip(tile_notice_->text());
    tile_notice_->show();
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

void map_form::closeEvent(QCloseEvent* event)
{
    trace_debug() << "map_form::closeEvent";
    event->ignore();
    hide();
}
