#pragma once

#include "data/classify/booster_settings.h"
#include "data/classify/classifier_training.h"
#include "data/classify/feature_table.h"
#include "data/classify/training_control.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <vector>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;

// Tools > Classify Behaviour: trains a behaviour model on the labelled rows of a feature table (one
// row per burst) on a worker thread, shows its validation, then predicts the unlabelled rows; or
// applies a saved model. A user's label always wins over a prediction.
class classify_dialog : public QDialog
{
    Q_OBJECT

public:
    // colours: per class name of table, "#rrggbb". folder: where models are saved and looked for.
    classify_dialog(QWidget* parent, feature_table table, QStringList colours, const QString& folder);
    ~classify_dialog() override;

    // Each row's behaviour: its label, else the prediction (class indexes the model's classes).
    const std::vector<prediction>& predictions() const { return predictions_; }
    const behaviour_model* model() const { return model_.get(); }
    double uncertain_below() const;
    bool training() const { return thread_ != nullptr; }
    // The rows' classes as the labels give them now (class_names and colours as in the constructor):
    // the counts shown, the next training and the next prediction follow them.
    void relabel(std::vector<int> classes, QStringList class_names, QStringList colours);

signals:
    // The rows' predictions, made from model; labelled rows carry their label with probability 1.
    void predictions_applied(const behaviour_model& model, const std::vector<prediction>& rows);
    // The user asked for the time budget of the applied predictions.
    void time_budget_wanted();

public slots:
    void train();
    void cancel();
    void apply();
    // Asks for a file (the dialog confirms replacing one) and writes the model there.
    void save_model();
    // Asks for a model file, refuses one that does not fit the features, and applies it.
    void apply_model();

private:
    void training_finished();
    void show_validation(const training_outcome& outcome);
    booster_settings settings() const;
    QStringList chosen_features() const;
    void set_busy(bool busy);
    void show_counts();

    feature_table table_;
    QStringList colours_;
    QString folder_;
    std::shared_ptr<const behaviour_model> model_;
    std::vector<prediction> predictions_;

    QLabel* summary_;
    QListWidget* features_;
    QSpinBox* rounds_;
    QSpinBox* depth_;
    QDoubleSpinBox* eta_;
    QSpinBox* folds_;
    QSpinBox* seed_;
    QDoubleSpinBox* uncertain_;
    QPlainTextEdit* report_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* train_button_;
    QPushButton* cancel_button_;
    QPushButton* apply_button_;
    QPushButton* save_button_;
    QPushButton* apply_model_button_;
    QPushButton* budget_button_;

    QThread* thread_ = nullptr;
    std::atomic_bool cancel_{false};
    training_control control_;
    training_outcome outcome_;
};
