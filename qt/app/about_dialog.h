#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class about_dialog;
}

// Modal dialog with the product name, the version and the contact text.
class about_dialog : public QDialog
{
    Q_OBJECT

public:
    explicit about_dialog(QWidget* parent = nullptr);
    ~about_dialog() override;

    // Postal address, support e-mail and web address, one per line, ending with a line break.
    static const QString contact_text;

private:
    Ui::about_dialog* ui;
};
