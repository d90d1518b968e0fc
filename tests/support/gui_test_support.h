#pragma once
// Drives the modal dialogs of a user-visible flow from a timer, one scripted step per dialog.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

namespace gui_test_support {

class modal_script : public QObject
{
public:
    // A step is offered the active modal widget and returns true when it has handled it.
    using step = std::function<bool(QWidget*)>;

    modal_script()
    {
        connect(&timer_, &QTimer::timeout, this, &modal_script::poll);
        timer_.start(20);
    }

    modal_script& then(step s)
    {
        steps_.push_back(std::move(s));
        return *this;
    }

    bool done() const { return steps_.empty(); }

    QStringList titles; // window titles of the handled dialogs, in order

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || steps_.empty() || (handled_ == w))
            return;
        const QString title = w->windowTitle();
        if (steps_.front()(w)) {
            titles << title;
            handled_ = w;
            steps_.pop_front();
        }
    }

    std::deque<step> steps_;
    QPointer<QWidget> handled_;
    QTimer timer_;
};

// Types path into a file dialog and accepts it, or cancels it for an empty path; notes the dialog's
// caption, folder and proposed name where asked. on_accepted runs once the dialog has accepted (it
// has checked the name by then, so on_accepted can change the file).
inline modal_script::step choose_file(const QString& path, std::function<void()> on_accepted = {},
                                      QString* caption = nullptr, QString* directory = nullptr,
                                      QString* proposed = nullptr)
{
    return [=](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog)
            return false;
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (caption)
            *caption = dialog->windowTitle();
        if (directory)
            *directory = dialog->directory().absolutePath();
        if (proposed)
            *proposed = name->text();
        if (on_accepted)
            QObject::connect(dialog, &QFileDialog::accepted, on_accepted);
        if (path.isEmpty()) {
            dialog->reject();
            return true;
        }
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    };
}

// Records a message box's title and text and presses one of its buttons.
inline modal_script::step answer_message(QMessageBox::StandardButton button, QString* title = nullptr,
                                         QString* text = nullptr)
{
    return [=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        if (button == QMessageBox::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(button)->click();
        return true;
    };
}

// Records a message box's text and presses its button of that label (for buttons of no standard kind).
inline modal_script::step press_button(const QString& label, QString* text = nullptr)
{
    return [=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        if (text)
            *text = box->windowTitle() + ": " + box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == label)
                b->click();
        return true;
    };
}

// Presses a progress dialog's Cancel button, as the user does; notes the dialog's parent where asked.
inline modal_script::step cancel_progress(QWidget** parent = nullptr)
{
    return [=](QWidget* w) {
        auto* progress = qobject_cast<QProgressDialog*>(w);
        if (!progress)
            return false;
        if (parent)
            *parent = progress->parentWidget();
        progress->findChild<QPushButton*>()->click();
        return true;
    };
}

// Holds the global pool's one thread until cancel() has pressed a progress dialog's Cancel, so that
// work queued behind the dialog cannot end before it is answered, on however busy a machine.
class held_pool
{
public:
    held_pool()
    {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        QThreadPool::globalInstance()->start([pressed = pressed_] {
            while (!*pressed)
                QThread::msleep(1);
        });
    }
    ~held_pool()
    {
        *pressed_ = true;
        QThreadPool::globalInstance()->setMaxThreadCount(threads_);
    }
    modal_script::step cancel()
    {
        return [pressed = pressed_](QWidget* w) { return cancel_progress()(w) && (*pressed = true); };
    }

private:
    std::shared_ptr<std::atomic_bool> pressed_ = std::make_shared<std::atomic_bool>(false);
    const int threads_ = QThreadPool::globalInstance()->maxThreadCount();
};

// Closes whatever modal widget is left, so that it cannot answer for the next test.
inline void close_modal_widgets()
{
    while (QWidget* w = QApplication::activeModalWidget())
        w->close();
}

// Any modal widget: runs action on it.
inline modal_script::step on_any(std::function<void(QWidget*)> action)
{
    return [=](QWidget* w) {
        action(w);
        return true;
    };
}

// Runs check once on the first active modal widget; fire and forget, for a single dialog.
inline void when_modal(std::function<void(QWidget*)> check)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, check]() {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(w);
        }
    });
    timer->start();
}

} // namespace gui_test_support
