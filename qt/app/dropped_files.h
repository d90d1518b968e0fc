#pragma once

#include <QStringList>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;

// What a window does with dragged files: it takes a drag that carries local files, and the files of
// a drop in the order dragged.
class dropped_files
{
public:
    // The local files of a drag; empty when the drag carries none.
    static QStringList local_paths(const QMimeData* data);

    // Accepts the drag when it carries local files.
    static void accept(QDragEnterEvent* event);

    // The local files of the drop, accepting it when there are any.
    static QStringList take(QDropEvent* event);
};
