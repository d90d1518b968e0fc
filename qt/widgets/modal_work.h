#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;

// Work that would freeze the window, run on a pool thread behind a modal progress dialog with Cancel.
class modal_work
{
public:
    // Reports done of total (the dialog shows the percentage) and answers false once Cancel was pressed.
    using step = std::function<bool(qint64 done, qint64 total)>;

    // Shows the dialog (title, label; a busy bar until the first step) and runs work(step) on a pool
    // thread, returning when it has ended; what work throws is thrown here. False when Cancel was
    // pressed. The worker touches the dialog only before work returns, and nothing of it after.
    static bool run(QWidget* parent, const QString& title, const QString& label,
                    const std::function<void(const step&)>& work);
};
