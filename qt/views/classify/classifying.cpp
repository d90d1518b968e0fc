#include "views/classify/classifying.h"

#include "data/classify/bin_behaviours.h"
#include "data/classify/metrics_features.h"
#include "data/classify/time_budget.h"
#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_metrics.h"
#include "data/metrics/static_window_setting.h"
#include "data/model/activity_calculator.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "views/burst/burst_paint_panel.h"
#include "views/classify/classify_dialog.h"
#include "views/classify/time_budget_dialog.h"
#include "views/labels/label_band.h"
#include "views/labels/label_document.h"
#include "views/labels/label_set_store.h"
#include "views/labels/labelling.h"
#include "widgets/modal_work.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QSettings>
#include <QStatusBar>

#include <chrono>
#include <future>

const char classifying::uncertain[] = "uncertain";

namespace {

// The label set's names and colours, in its order; grey for a name beyond them.
QStringList label_set_names(QStringList* colours)
{
    QStringList names;
    for (const label_def& l : label_set_store::instance().set().labels()) {
        names << l.name;
        *colours << QColor(QRgb(l.rgb)).name();
    }
    return names;
}

void grey_beyond(QStringList& colours, int classes)
{
    for (int c = colours.size(); c < classes; ++c)
        colours << "#808080";
}

} // namespace

classifying::classifying(QMainWindow& window, burst_paint_panel& panel, labelling& labels,
                         const burst_space& space, const QString& animal, const QString& data_path,
                         const QString& calibration_key, const QString& tag_number)
    : QObject(&window), window_(window), panel_(panel), labels_(labels), space_(space), animal_(animal),
      data_path_(data_path), calibration_key_(calibration_key), tag_number_(tag_number)
{
    action_ = new QAction(tr("Classify Behaviour..."), this);
    action_->setObjectName(QStringLiteral("actionClassify_Behaviour"));
    connect(action_, &QAction::triggered, this, &classifying::open);
    connect(&labels_, &labelling::labels_changed, this, [this] {
        if (!rows_.empty())
            fill_band();
        // The Classify window counts, trains and predicts on the labels as they are now.
        if (dialog_) {
            QStringList colours;
            QStringList names = label_set_names(&colours);
            std::vector<int> classes =
                metrics_features::classes(names, space_, labels_.document().segments(), animal_);
            grey_beyond(colours, names.size());
            dialog_->relabel(std::move(classes), names, colours);
        }
    });
}

classifying::~classifying()
{
    if (band_)
        panel_.remove_overlay(band_.get());
}

QString classifying::predicted(qint32 index, float* probability) const
{
    if (index < 0 || size_t(index) >= rows_.size() || rows_[size_t(index)].cls < 0 ||
        !labels_.label_of(index).isEmpty())
        return QString();
    if (probability)
        *probability = rows_[size_t(index)].probability;
    return classes_.value(rows_[size_t(index)].cls);
}

void classifying::open()
{
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    QSettings settings;
    const applied_calibration calibration =
        applied_calibration::for_tag(settings, calibration_key_, tag_number_);
    const static_window window = static_window_setting::instance().window();
    // A few hundred thousand bursts take a while: behind a progress dialog, which may cancel.
    std::vector<burst_metrics> metrics;
    const bool computed =
        modal_work::run(&window_, tr("Classify Behaviour"), tr("Computing the metrics of every burst..."),
                        [&](const modal_work::step& step) {
                            burst_metrics::progress progress;
                            auto all = std::async(std::launch::async, [&] {
                                return burst_metrics::of_all(space_, calibration.value, window, 0, &progress);
                            });
                            while (all.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                                if (!step(progress.done, space_.entry_count()))
                                    progress.cancel = true;
                            metrics = all.get();
                        });
    if (!computed)
        return;
    QStringList colours;
    feature_table table = metrics_features::table(calibration.units(), label_set_names(&colours), window);
    metrics_features::append(table, animal_, space_, metrics, &labels_.document().segments(), animal_);
    grey_beyond(colours, table.class_names.size());
    const QFileInfo data(data_path_);
    dialog_ = new classify_dialog(&window_, std::move(table), colours, data.absolutePath());
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &classify_dialog::predictions_applied, this,
            [this](const behaviour_model& model, const std::vector<prediction>& rows) {
                take(model, rows, dialog_->uncertain_below());
            });
    connect(dialog_, &classify_dialog::time_budget_wanted, this, &classifying::show_time_budget);
    dialog_->show();
}

void classifying::take(const behaviour_model& model, const std::vector<prediction>& rows,
                       double uncertain_below)
{
    classes_ = model.classes;
    rows_ = rows;
    std::vector<label_def> defs;
    for (int c = 0; c < model.classes.size(); ++c)
        defs.push_back(
            label_def{model.classes[c], QColor(model.colours.value(c, "#808080")).rgb() & 0xffffff, 0});
    defs.push_back(label_def{uncertain, 0xb0b0b0, 0});
    predicted_set_.set_labels(defs);
    uncertain_below_ = uncertain_below;
    fill_band();
    window_.statusBar()->showMessage(tr("Predicted behaviours shown above the labels."), 8000);
}

void classifying::fill_band()
{
    // One segment per predicted burst, to the next burst's start; labelled bursts keep their label only.
    predicted_ = label_segments();
    std::vector<qint64> starts;
    for (qint32 i = 0; i < space_.entry_count(); ++i)
        starts.push_back(space_.entry(i).burst->start_timestamp);
    for (qint32 i = 0; i < space_.entry_count() && size_t(i) < rows_.size(); ++i) {
        const QString name = predicted(i);
        if (name.isEmpty())
            continue;
        const auto span = label_segments::span_of_bursts(starts, size_t(i), size_t(i));
        predicted_.set_range(animal_, span.first, span.second,
                             rows_[size_t(i)].probability < uncertain_below_ ? QString(uncertain) : name);
    }
    if (!band_) {
        band_ = std::make_unique<label_band>(predicted_, predicted_set_, animal_, 1, true);
        panel_.add_overlay(band_.get());
    }
    panel_.update();
    emit predictions_changed();
}

std::vector<int> classifying::burst_behaviours(QStringList& names) const
{
    std::vector<int> classes;
    for (qint32 i = 0; i < space_.entry_count(); ++i) {
        QString name = labels_.label_of(i);
        if (name.isEmpty())
            name = predicted(i);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
        classes.push_back(name.isEmpty() ? -1 : names.indexOf(name));
    }
    return classes;
}

quint32 classifying::colour_of(const QString& name) const
{
    if (const label_def* d = label_set_store::instance().set().find(name))
        return d->rgb;
    const label_def* d = predicted_set_.find(name);
    return d ? d->rgb : 0x808080;
}

std::vector<qint32> classifying::bin_colours(const activity_calculator& calc) const
{
    QStringList names = classes_;
    const std::vector<int> classes = burst_behaviours(names);
    std::vector<qint64> starts;
    for (qint32 i = 0; i < space_.entry_count(); ++i)
        starts.push_back(space_.entry(i).burst->start_timestamp);
    std::vector<qint32> out;
    for (int c :
         bin_behaviours(starts, classes, names.size(), calc.plot_begin, calc.bin_width, calc.bin_count))
        out.push_back(c < 0 ? -1 : qint32(colour_of(names[c])));
    return out;
}

std::vector<std::pair<QString, quint32>> classifying::legend() const
{
    QStringList names = classes_;
    burst_behaviours(names);
    std::vector<std::pair<QString, quint32>> out;
    for (const QString& n : names)
        out.emplace_back(n, colour_of(n));
    return out;
}

void classifying::show_time_budget()
{
    QStringList names = classes_;
    std::vector<qint64> starts;
    for (qint32 i = 0; i < space_.entry_count(); ++i)
        starts.push_back(space_.entry(i).burst->start_timestamp);
    const std::vector<int> classes = burst_behaviours(names);
    time_budget b = time_budget::compute(starts, classes, names);
    b.animal = animal_.isEmpty() ? QFileInfo(data_path_).fileName() : animal_;
    auto* d = new time_budget_dialog(&window_, {b}, QFileInfo(data_path_).absolutePath());
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
}

classify_dialog* classifying::dialog() const
{
    return dialog_;
}
