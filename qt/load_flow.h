#pragma once

#include <QString>

class QProgressDialog;
class QWidget;

// Steps the two open flows share.
class load_flow
{
public:
    // Asks for a file to open, starting in the home directory; empty when cancelled.
    static QString ask_for_file(QWidget* parent, const QString& caption);

    // The "Open failed" warning with one line of reason.
    static void open_failed(QWidget* parent, const QString& reason);

    // Modal "Loading" dialog with a busy bar and no automatic reset.
    static void prepare_progress_dialog(QProgressDialog& dialog);
};
