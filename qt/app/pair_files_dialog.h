#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the two files of an acceleration and GPS pair: each a path field with a Browse button.
// An acceleration file chosen here proposes its GPS partner by name when that file exists.
class pair_files_dialog : public QDialog
{
    Q_OBJECT

public:
    // acc_file: the acceleration file chosen already; the GPS field starts with its partner by name.
    // filters: the Browse dialogs' file filters.
    pair_files_dialog(const QString& acc_file, const QString& filters, QWidget* parent);

    QString acc_file() const;
    QString gps_file() const;

    // The GPS file the name rule pairs with acc_file, when it exists and is another file; else empty.
    static QString named_partner(const QString& acc_file);

private:
    // Lets the user pick the file of field, starting in its folder, with caption.
    void browse(QLineEdit* field, const QString& caption);

    const QString filters_;
    QLineEdit* acc_;
    QLineEdit* gps_;
};
