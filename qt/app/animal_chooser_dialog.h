#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QDialogButtonBox;
class QLineEdit;
class QListWidget;

// Lets the user choose which animals of a file of several to open: one checkable row per animal
// with its burst count and date range (and fix count, when opened with GPS), the first
// opens_without_asking of them checked at first; an animal without bursts is listed but cannot be
// checked. A filter shows the animals whose identifier holds its text; Select All and Select None
// act on the shown rows. OK needs at least one checked, and asks before opening more windows than
// opens_without_asking.
class animal_chooser_dialog : public QDialog
{
    Q_OBJECT

public:
    struct animal
    {
        QString id;
        qint32 bursts;
        qint64 begin_timestamp; // ms since the epoch, UTC
        qint64 end_timestamp;
        qint32 fixes = -1; // -1: opened without GPS
    };

    // gps_file_name: the GPS side's file when the animals open with their tracks, else empty.
    animal_chooser_dialog(const std::vector<animal>& animals, const QString& file_name, QWidget* parent,
                          const QString& gps_file_name = QString());

    static constexpr int opens_without_asking = 20;

    // Indices of the checked animals, in list order.
    std::vector<int> chosen() const;

    // The row's text, e.g. "Stork 7 - 12 bursts, 2014-05-02 to 2014-05-09", or with GPS
    // "Stork 7 - 12 bursts, 40 fixes, 2014-05-02 to 2014-05-09".
    static QString row_text(const animal& a);

    void accept() override;

private:
    void update_ok();
    void filter(const QString& text);
    // Checks or unchecks every shown row that can be checked.
    void check_shown(Qt::CheckState state);

    QLineEdit* filter_;
    QListWidget* list_;
    QDialogButtonBox* buttons_;
};
