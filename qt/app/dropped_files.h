#pragma once

#include <QStringList>

class QMimeData;

// The local files of a drag, in the order dragged; empty when the drag carries none.
class dropped_files
{
public:
    static QStringList local_paths(const QMimeData* data);
};
