#include "views/classify/classify_dialog.h"

#include "data/classify/boosted_trees.h"
#include "data/classify/model_file.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

classify_dialog::classify_dialog(QWidget* parent, feature_table table, QStringList colours,
                                 const QString& folder)
    : QDialog(parent), table_(std::move(table)), colours_(std::move(colours)), folder_(folder)
{
    setWindowTitle(tr("Classify Behaviour"));
    const booster_settings defaults;

    features_ = new QListWidget;
    for (int c = 0; c < table_.columns(); ++c) {
        auto* item = new QListWidgetItem(table_.units.value(c).isEmpty()
                                             ? table_.features[c]
                                             : QString("%1 (%2)").arg(table_.features[c], table_.units[c]));
        item->setData(Qt::UserRole, table_.features[c]);
        item->setCheckState(Qt::Checked);
        features_->addItem(item);
    }
    auto* feature_box = new QGroupBox(tr("Features to train on"));
    auto* feature_layout = new QVBoxLayout(feature_box);
    feature_layout->addWidget(features_);

    auto spin = [](int low, int high, int value) {
        auto* s = new QSpinBox;
        s->setRange(low, high);
        s->setValue(value);
        return s;
    };
    rounds_ = spin(1, 2000, defaults.rounds);
    depth_ = spin(1, 20, defaults.max_depth);
    folds_ = spin(2, 20, defaults.folds);
    seed_ = spin(0, 2147483647, int(defaults.seed));
    eta_ = new QDoubleSpinBox;
    eta_->setRange(0.01, 1.0);
    eta_->setSingleStep(0.05);
    eta_->setValue(defaults.eta);
    auto* form = new QFormLayout;
    form->addRow(tr("Boosting rounds:"), rounds_);
    form->addRow(tr("Tree depth:"), depth_);
    form->addRow(tr("Learning rate:"), eta_);
    form->addRow(tr("Validation folds:"), folds_);
    form->addRow(tr("Seed:"), seed_);

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setWordWrap(true);
    show_counts();

    train_button_ = new QPushButton(tr("Train and Validate"));
    cancel_button_ = new QPushButton(tr("Cancel Training"));
    progress_ = new QProgressBar;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    auto* run_row = new QHBoxLayout;
    run_row->addWidget(train_button_);
    run_row->addWidget(cancel_button_);
    run_row->addWidget(progress_, 1);

    report_ = new QPlainTextEdit;
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setPlaceholderText(tr("The validation appears here once the model is trained."));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));

    uncertain_ = new QDoubleSpinBox;
    uncertain_->setRange(0.0, 1.0);
    uncertain_->setSingleStep(0.05);
    uncertain_->setValue(0.6);
    apply_button_ = new QPushButton(tr("Predict Unlabelled Bursts"));
    save_button_ = new QPushButton(tr("Save Model..."));
    apply_model_button_ = new QPushButton(tr("Apply Model..."));
    budget_button_ = new QPushButton(tr("Time Budget..."));
    auto* apply_row = new QHBoxLayout;
    apply_row->addWidget(new QLabel(tr("Uncertain below probability:")));
    apply_row->addWidget(uncertain_);
    apply_row->addStretch(1);
    apply_row->addWidget(apply_button_);
    apply_row->addWidget(budget_button_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(save_button_, QDialogButtonBox::ActionRole);
    buttons->addButton(apply_model_button_, QDialogButtonBox::ActionRole);

    auto* right = new QVBoxLayout;
    right->addWidget(summary_);
    right->addLayout(form);
    right->addLayout(run_row);
    right->addWidget(report_, 1);
    right->addWidget(status_);
    right->addLayout(apply_row);
    auto* top = new QHBoxLayout;
    top->addWidget(feature_box);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    resize(980, 620);

    connect(train_button_, &QPushButton::clicked, this, &classify_dialog::train);
    connect(cancel_button_, &QPushButton::clicked, this, &classify_dialog::cancel);
    connect(apply_button_, &QPushButton::clicked, this, &classify_dialog::apply);
    connect(save_button_, &QPushButton::clicked, this, &classify_dialog::save_model);
    connect(apply_model_button_, &QPushButton::clicked, this, &classify_dialog::apply_model);
    connect(budget_button_, &QPushButton::clicked, this, &classify_dialog::time_budget_wanted);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    control_.cancel = &cancel_;
    control_.progress = [this](int done, int total) {
        QMetaObject::invokeMethod(
            this,
            [this, done, total] {
                progress_->setRange(0, total);
                progress_->setValue(done);
            },
            Qt::QueuedConnection);
    };
    set_busy(false);
}

classify_dialog::~classify_dialog()
{
    if (thread_) {
        cancel_ = true;
        thread_->wait();
    }
}

void classify_dialog::show_counts()
{
    const std::vector<int> counts = table_.class_counts();
    QStringList labelled;
    for (size_t c = 0; c < counts.size(); ++c)
        if (counts[c] > 0)
            labelled << QString("%1 %2").arg(counts[c]).arg(table_.class_names[int(c)]);
    summary_->setText(tr("%1 bursts, labelled: %2")
                          .arg(table_.rows())
                          .arg(labelled.isEmpty() ? tr("none") : labelled.join(", ")));
}

void classify_dialog::relabel(std::vector<int> classes, QStringList class_names, QStringList colours)
{
    if (classes.size() != table_.classes.size())
        return;
    table_.classes = std::move(classes);
    table_.class_names = std::move(class_names);
    colours_ = std::move(colours);
    show_counts();
}

double classify_dialog::uncertain_below() const
{
    return uncertain_->value();
}

booster_settings classify_dialog::settings() const
{
    booster_settings s;
    s.rounds = rounds_->value();
    s.max_depth = depth_->value();
    s.eta = eta_->value();
    s.folds = folds_->value();
    s.seed = quint32(seed_->value());
    return s;
}

QStringList classify_dialog::chosen_features() const
{
    QStringList names;
    for (int i = 0; i < features_->count(); ++i)
        if (features_->item(i)->checkState() == Qt::Checked)
            names << features_->item(i)->data(Qt::UserRole).toString();
    return names;
}

void classify_dialog::set_busy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{features_, rounds_, depth_, eta_, folds_, seed_,
                                                      train_button_, apply_model_button_})
        w->setEnabled(!busy);
    cancel_button_->setEnabled(busy);
    apply_button_->setEnabled(!busy && model_);
    save_button_->setEnabled(!busy && model_ && !outcome_.validations.empty());
    budget_button_->setEnabled(!busy && !predictions_.empty());
}

void classify_dialog::train()
{
    const booster_settings s = settings();
    const feature_table chosen = table_.with_columns(chosen_features());
    const QString refusal = classifier_training::input_refusal(chosen, s.folds);
    if (!refusal.isEmpty()) {
        QMessageBox::warning(this, tr("Cannot train"), refusal);
        return;
    }
    model_.reset();
    predictions_.clear();
    report_->clear();
    outcome_ = training_outcome();
    cancel_ = false;
    status_->setText(tr("Training with seed %1...").arg(s.seed));
    progress_->setRange(0, 0);
    // The colours as they are now: a relabelling while training must not change them under it.
    thread_ = QThread::create([this, chosen, s, colours = colours_] {
        outcome_ = classifier_training::run(chosen, colours, s, control_);
    });
    connect(thread_, &QThread::finished, this, &classify_dialog::training_finished);
    set_busy(true);
    thread_->start();
}

void classify_dialog::cancel()
{
    cancel_ = true;
    status_->setText(tr("Cancelling..."));
}

void classify_dialog::training_finished()
{
    thread_->deleteLater();
    thread_ = nullptr;
    progress_->setRange(0, 1);
    progress_->setValue(outcome_.model.trees ? 1 : 0);
    if (outcome_.cancelled)
        status_->setText(tr("Training cancelled."));
    else if (!outcome_.error.isEmpty()) {
        status_->setText(tr("Training failed."));
        QMessageBox::warning(this, tr("Training failed"), outcome_.error);
    } else {
        model_ = std::make_shared<behaviour_model>(outcome_.model);
        show_validation(outcome_);
        status_->setText(tr("Trained; check the validation before predicting."));
    }
    set_busy(false);
}

void classify_dialog::show_validation(const training_outcome& outcome)
{
    const booster_settings& s = outcome.model.settings;
    QString text = tr("Seed %1, %2 rounds, depth %3, learning rate %4; %5 behaviours, %6 features.\n\n")
                       .arg(s.seed)
                       .arg(s.rounds)
                       .arg(s.max_depth)
                       .arg(s.eta)
                       .arg(outcome.model.classes.size())
                       .arg(outcome.model.features.size());
    for (const validation_result& v : outcome.validations)
        text += v.text() + '\n';
    std::vector<int> order(outcome.importance.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return outcome.importance[size_t(a)] > outcome.importance[size_t(b)];
    });
    text += tr("Feature importance (average gain of its splits)\n");
    for (int f : order)
        text += QString("%1 %2\n")
                    .arg(outcome.model.features[f], -16)
                    .arg(outcome.importance[size_t(f)], 10, 'f', 3);
    report_->setPlainText(text);
}

void classify_dialog::apply()
{
    if (!model_)
        return;
    QString error;
    predictions_ = model_->predict(table_, &error);
    if (predictions_.empty() && table_.rows() > 0) {
        QMessageBox::warning(this, tr("Cannot predict"), error);
        return;
    }
    int predicted = 0, uncertain = 0;
    for (int r = 0; r < table_.rows(); ++r) {
        const int label = table_.classes[size_t(r)];
        if (label != feature_table::no_class) {
            predictions_[size_t(r)] = prediction{model_->classes.indexOf(table_.class_names[label]), 1.0f};
            continue;
        }
        ++predicted;
        uncertain += predictions_[size_t(r)].probability < uncertain_->value();
    }
    status_->setText(tr("%1 unlabelled bursts predicted, %2 of them uncertain (below %3).")
                         .arg(predicted)
                         .arg(uncertain)
                         .arg(uncertain_->value()));
    emit predictions_applied(*model_, predictions_);
    set_busy(false);
}

void classify_dialog::save_model()
{
    if (!model_)
        return;
    QString name = QFileDialog::getSaveFileName(this, tr("Save Model"), folder_ + "/behaviour.dvmodel",
                                                tr("Behaviour models (*.dvmodel)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += ".dvmodel";
    QString error;
    if (!model_file::write(name, *model_, &error))
        QMessageBox::warning(this, tr("Save Model failed"), error);
    else
        status_->setText(tr("Model saved as %1.").arg(QFileInfo(name).fileName()));
}

void classify_dialog::apply_model()
{
    const QString name = QFileDialog::getOpenFileName(this, tr("Apply Model"), folder_,
                                                      tr("Behaviour models (*.dvmodel);;All files (*)"));
    if (name.isEmpty())
        return;
    QString error;
    std::optional<behaviour_model> m = model_file::read(name, &error);
    if (m && !(error = m->fit_refusal(table_)).isEmpty())
        error = tr("%1 does not fit these data: %2.").arg(QFileInfo(name).fileName(), error);
    if (!m || !error.isEmpty()) {
        QMessageBox::warning(this, tr("Cannot apply model"), error);
        return;
    }
    model_ = std::make_shared<behaviour_model>(std::move(*m));
    outcome_ = training_outcome();
    report_->setPlainText(
        tr("Model %1: seed %2, behaviours %3; features %4.\nIts validation was shown when it was "
           "trained.\n")
            .arg(QFileInfo(name).fileName())
            .arg(model_->settings.seed)
            .arg(model_->classes.join(", "), model_->features.join(", ")));
    apply();
}
