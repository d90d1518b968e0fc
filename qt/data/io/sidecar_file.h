#pragma once

#include <QString>

// A file the program reads by name beside the data (labels, models, MBTiles, settings): checked
// before it is opened, since open() on a FIFO blocks for good and a device or a huge file is no
// honest sidecar. Empty when path may be opened (or does not exist), else why not, as a phrase to
// follow the file's name: "is not a regular file", "is 3.2 GB, more than the 256 MB ... may be".
QString sidecar_refusal(const QString& path, qint64 max_bytes, const QString& what);
