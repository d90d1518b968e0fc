#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs check on the active modal widget as soon as one appears (modal dialogs block the test).
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
