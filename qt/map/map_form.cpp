#include "map/map_form.h"
#include "ui_map_form.h"
#include "data/trace.h"

#include <QCloseEvent>
#include <QLabel>
#include <QSignalBlocker>

map_form::map_form(const QDir& tiles_dir, QNetworkAccessManager* network_, QWidget* parent)
    : QWidget(parent), ui(new Ui::map_form), network(network_), cache(tiles_dir, "osm"),
      tiles(network, &cache), map(&tiles)
{
    ui->setupUi(this);
    ui->horizontalLayout->addWidget(&map);
    ui->horizontalSlider->setRange(map.view().minLevel, map.view().maxLevel);
    show_level(map.view().currentLevel);

    connect(ui->pushButton, &QPushButton::clicked, &map, &map_widget::increase_level);
    connect(ui->pushButton_2, &QPushButton::clicked, &map, &map_widget::decrease_level);
    // The slider follows every level change first, so the next connection finds it current.
    connect(&map, &map_widget::shown_level_changed, this, &map_form::show_level);
    connect(&map, &map_widget::level_changed, ui->horizontalSlider, &QSlider::setValue);
    connect(ui->horizontalSlider, &QSlider::valueChanged, &map, &map_widget::set_level);

    // However many tiles fail, the user sees one line; it goes once tiles arrive again.
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("map_status"));
    status_->hide();
    ui->gridLayout->addWidget(status_, ui->gridLayout->rowCount(), 0, 1, ui->gridLayout->columnCount());
    connect(&tiles, &tile_manager::download_failed, status_, [this](const QString& reason) {
        status_->setText(tr("Map tiles cannot be loaded: %1").arg(reason));
        status_->show();
    });
    connect(&tiles, &tile_manager::tile_is_ready, status_, &QLabel::hide);
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

void map_form::closeEvent(QCloseEvent* event)
{
    trace_debug() << "map_form::closeEvent";
    event->ignore();
    hide();
}
