#include "app/dropped_files.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QStringList dropped_files::local_paths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

void dropped_files::accept(QDragEnterEvent* event)
{
    if (!local_paths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

QStringList dropped_files::take(QDropEvent* event)
{
    const QStringList paths = local_paths(event->mimeData());
    if (!paths.isEmpty())
        event->acceptProposedAction();
    return paths;
}
