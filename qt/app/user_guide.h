#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The user guide shipped with the program (docs/user-guide.html), opened in the system's viewer.
class user_guide
{
public:
    // Where the guide may lie, in order: installed beside the program (../share/doc/dornvale), then
    // the build tree's copy (docs/ beside the program).
    static QStringList places();
    // The first of places() that exists; empty when none does.
    static QString path();
    // Opens the guide with the system's handler for HTML files; a message naming the places looked
    // at, or the file, when that fails.
    static void open(QWidget* parent);
};
