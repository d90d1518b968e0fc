#include "widgets/modal_work.h"

#include <QProgressDialog>
#include <QThreadPool>

#include <atomic>
#include <exception>
#include <future>
#include <memory>

bool modal_work::run(QWidget* parent, const QString& title, const QString& label,
                     const std::function<void(const step&)>& work)
{
    QProgressDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    std::atomic_bool cancelled{false};
    QObject::connect(&dialog, &QProgressDialog::canceled, [&cancelled] { cancelled.store(true); });
    // Shared with the worker: it may still be inside set_value when this frame has its result.
    const auto ended = std::make_shared<std::promise<void>>();
    std::future<void> result = ended->get_future();
    QThreadPool::globalInstance()->start([&, ended] {
        int shown = -1;
        const step report = [&](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(qBound<qint64>(0, done * 100 / total, 100)) : 0;
            if (percent != shown)
                QMetaObject::invokeMethod(
                    &dialog,
                    [&dialog, percent] {
                        dialog.setRange(0, 100);
                        dialog.setValue(percent);
                    },
                    Qt::QueuedConnection);
            shown = percent;
            return !cancelled.load();
        };
        std::exception_ptr failure;
        try {
            work(report);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&dialog, &QProgressDialog::reset, Qt::QueuedConnection);
        if (failure)
            ended->set_exception(failure);
        else
            ended->set_value();
    });
    dialog.exec();
    result.get();
    return !cancelled.load();
}
