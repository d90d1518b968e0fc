#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QDialogButtonBox;
class QListWidget;

// Lets the user choose which animals of a file of several to open: one checkable row per animal
// with its burst count and date range, all checked at first; OK needs at least one checked.
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
    };

    animal_chooser_dialog(const std::vector<animal>& animals, const QString& file_name, QWidget* parent);

    // Indices of the checked animals, in list order.
    std::vector<int> chosen() const;

    // The row's text, e.g. "Stork 7 - 12 bursts, 2014-05-02 to 2014-05-09".
    static QString row_text(const animal& a);

private:
    void update_ok();

    QListWidget* list_;
    QDialogButtonBox* buttons_;
};
