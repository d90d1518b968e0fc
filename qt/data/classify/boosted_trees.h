#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class feature_table;
struct booster_settings;
struct training_control;

// Gradient-boosted trees (XGBoost, objective multi:softprob) over a feature table's columns.
// Not copyable; one object is used by one thread at a time.
class boosted_trees
{
public:
    ~boosted_trees();
    boosted_trees(const boosted_trees&) = delete;
    boosted_trees& operator=(const boosted_trees&) = delete;

    // Trains on the labelled rows of table (classes 0 .. class_count - 1), weighted per class when
    // the settings say so. Null when cancelled (error stays empty) or when XGBoost fails (error set).
    // done_before is added to the rounds reported to control.
    static std::unique_ptr<boosted_trees> train(const feature_table& table, int class_count,
                                                const booster_settings& settings,
                                                const training_control& control, int done_before,
                                                int total_rounds, QString* error);
    // A booster saved by to_bytes; null with the reason when the bytes are not one.
    static std::unique_ptr<boosted_trees> from_bytes(const QByteArray& bytes, int class_count, int threads,
                                                     QString* error);
    QByteArray to_bytes() const;

    int class_count() const { return class_count_; }
    // Per row of table, class_count() probabilities; empty with error set when XGBoost fails.
    std::vector<float> probabilities(const feature_table& table, QString* error) const;
    // The same for rows x columns values, row-major.
    std::vector<float> probabilities(const std::vector<float>& values, int rows, int columns,
                                     QString* error) const;
    // Per column of a table of columns features: the average gain of the splits on it (0 if unused).
    std::vector<double> gain_importance(int columns) const;

    // Up to this many rows the trees split halfway between values (XGBoost's exact method), so a burst
    // just beyond the range of its behaviour's training bursts is not sent to the neighbour; above it
    // they split at histogram bins, five times as fast.
    static constexpr int exact_up_to = 3000;

    // Class weights n / (k * n_class) of the labelled rows, k the classes that occur; 0 for absent.
    static std::vector<float> class_weights(const std::vector<int>& classes, int class_count);

private:
    boosted_trees(void* handle, int class_count);
    void* handle_;
    int class_count_;
};
