#include "app/about_dialog.h"
#include "ui_about_dialog.h"

#include "data/io/dornvale_version.h"

const QString about_dialog::contact_text = QStringLiteral("Dornvale Project\n"
                                                          "Field Data Tools Workshop\n"
                                                          "12 Meadow Lane\n"
                                                          "Examplestadt, 00000\n"
                                                          "support@dornvale.example\n"
                                                          "https://www.dornvale.example/\n");

about_dialog::about_dialog(QWidget* parent) : QDialog(parent), ui(new Ui::about_dialog)
{
    ui->setupUi(this);
    ui->plainTextEdit->insertPlainText(QStringLiteral("Version: " DORNVALE_VERSION "\n\n"));
    ui->plainTextEdit->insertPlainText(contact_text);
}

about_dialog::~about_dialog()
{
    delete ui;
}
