#pragma once
// The message box a user's action ends in, answered with OK: the failure messages of the open and
// save flows, read as the user reads them.

#include "support/gui_test_support.h"

#include <QAbstractButton>
#include <QStringList>
#include <QTest>

#include <functional>
#include <vector>

struct shown_message
{
    QString title;
    QString text;
    QStringList dialogs; // window titles of every dialog answered on the way, the message box last

    // Runs action and answers what it brings up: first the steps, in order, then a message box with OK.
    // When none came within ten seconds the text says so, and the caller's comparison fails on it.
    static shown_message after(const std::function<void()>& action,
                               std::vector<gui_test_support::modal_script::step> steps = {})
    {
        shown_message shown;
        gui_test_support::modal_script script;
        for (auto& step : steps)
            script.then(std::move(step));
        script.then(gui_test_support::answer_message(QMessageBox::Ok, &shown.title, &shown.text));
        action();
        if (!QTest::qWaitFor([&] { return script.done(); }, 10000))
            shown.text = "no message within 10 s after the dialogs " + script.titles.join(", ");
        shown.dialogs = script.titles;
        return shown;
    }

    // Clicks button and chooses path in the file dialog it opens (on_accepted as for choose_file),
    // then as after().
    static shown_message on_choosing(QAbstractButton* button, const QString& path,
                                     std::function<void()> on_accepted = {},
                                     std::vector<gui_test_support::modal_script::step> steps = {})
    {
        steps.insert(steps.begin(), gui_test_support::choose_file(path, std::move(on_accepted)));
        return after([button] { button->click(); }, std::move(steps));
    }
};
