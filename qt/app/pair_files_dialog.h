#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the two files of an acceleration and GPS pair: each a path field with a Browse button.
// An acceleration file chosen here proposes its GPS partner by name when that file exists, unless
// the GPS file is the user's own choice.
class pair_files_dialog : public QDialog
{
    Q_OBJECT

public:
    // acc_file and gps_file: the fields' files (empty for none yet); gps_chosen when the GPS file is
    // the user's choice rather than a proposal. filters: the Browse dialogs' file filters.
    pair_files_dialog(const QString& acc_file, const QString& gps_file, bool gps_chosen,
                      const QString& filters, QWidget* parent);

    QString acc_file() const;
    QString gps_file() const;

    // The GPS file the name rule pairs with acc_file, when it exists and is another file; else empty.
    static QString named_partner(const QString& acc_file);
    // The same for the acceleration file of gps_file.
    static QString named_acc_partner(const QString& gps_file);

private:
    // Lets the user pick the file of field, starting in its folder, with caption.
    void browse(QLineEdit* field, const QString& caption);

    const QString filters_;
    QLineEdit* acc_;
    QLineEdit* gps_;
    bool gps_chosen_;
};
