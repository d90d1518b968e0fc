#include "app/window_geometry.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace {

QString settings_key(const QString& key)
{
    return QStringLiteral("windows/%1/geometry").arg(key);
}

} // namespace

window_geometry::window_geometry(QWidget* window, const QString& key)
    : QObject(window), window_(window), key_(key)
{
    window->installEventFilter(this);
}

bool window_geometry::remember(QWidget* window, const QString& key)
{
    new window_geometry(window, key);
    const QByteArray stored = QSettings().value(settings_key(key)).toByteArray();
    return !stored.isEmpty() && window->restoreGeometry(stored);
}

void window_geometry::store()
{
    settings_.setValue(settings_key(key_), window_->saveGeometry());
}

bool window_geometry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        const QEvent::Type type = event->type();
        if (type == QEvent::Hide ||
            ((type == QEvent::Move || type == QEvent::Resize) && window_->isVisible()))
            store();
    }
    return QObject::eventFilter(watched, event);
}
