#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Commits file, first flushing it and checking the device for a write error: QSaveFile::commit()
// misses one that happens while it flushes its buffer (a full disk), and would rename a short file
// over the old one. On failure nothing is renamed, the old file stays whole, and the reason (the
// device's error text) is returned; empty on success.
QString checked_commit(QSaveFile& file);

// Writes bytes to path atomically through checked_commit; empty on success, else the reason.
QString checked_save(const QString& path, const QByteArray& bytes);
