#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

class QWidget;

// Keeps a window's size and position in the user's settings under a key: restores them now and
// stores them whenever the shown window is moved or resized, and when it is hidden.
class window_geometry : public QObject
{
    Q_OBJECT

public:
    // Returns whether a stored geometry was restored. The watcher is a child of window.
    static bool remember(QWidget* window, const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    window_geometry(QWidget* window, const QString& key);
    void store();

    QWidget* window_;
    QString key_;
    // Kept, so that a drag's many moves are written to disk together from the event loop.
    QSettings settings_;
};
