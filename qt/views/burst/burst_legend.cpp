#include "views/burst/burst_legend.h"

#include "views/burst/burst_paint_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

// A filled square of the colour; a hidden axis keeps only the outline.
QPixmap swatch(const QColor& colour, bool filled = true)
{
    QPixmap p(12, 12);
    p.fill(filled ? colour : QColor(Qt::white));
    QPainter painter(&p);
    painter.setPen(colour);
    painter.drawRect(0, 0, 11, 11);
    return p;
}

} // namespace

burst_legend::burst_legend(burst_paint_panel& panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    const QString names[3] = {tr("X"), tr("Y"), tr("Z")};
    for (int a = 0; a < 3; ++a) {
        buttons_[a] = new QToolButton(this);
        buttons_[a]->setText(names[a]);
        buttons_[a]->setCheckable(true);
        buttons_[a]->setAutoRaise(true);
        buttons_[a]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        buttons_[a]->setToolTip(tr("Show or hide acceleration axis %1").arg(names[a]));
        layout->addWidget(buttons_[a]);
        connect(buttons_[a], &QToolButton::toggled, this,
                [this, a](bool on) { panel_.set_axis_shown(a, on); });
    }
    auto* gps_swatch = new QLabel(this);
    gps_swatch->setPixmap(swatch(burst_paint_panel::gps_tick_colour()));
    layout->addSpacing(12);
    layout->addWidget(gps_swatch);
    layout->addWidget(new QLabel(tr("burst has a GPS fix"), this));
    layout->addStretch(1);
    units_ = new QLabel(this);
    layout->addWidget(units_);
    connect(&panel_, &burst_paint_panel::layers_changed, this, &burst_legend::refresh);
    refresh();
}

QString burst_legend::units_text() const
{
    return units_->text();
}

QString burst_legend::units_text(bool calibrated)
{
    return calibrated ? tr("Values in g (calibrated)") : tr("Values in raw units (no calibration set)");
}

void burst_legend::refresh()
{
    for (int a = 0; a < 3; ++a) {
        const QSignalBlocker quiet(buttons_[a]);
        buttons_[a]->setChecked(panel_.axis_shown(a));
        buttons_[a]->setIcon(swatch(panel_.palette().of(a), panel_.axis_shown(a)));
    }
    units_->setText(units_text(panel_.calibration().has_value()));
}
