#pragma once

#include <QString>

#include <functional>
#include <ostream>

class QSaveFile;

// What the batch commands share about their files and lines.
namespace batch_files {

// Starts every line about a failure.
extern const char program[];

// A path as printed: native separators, and a control character (a newline would split the line)
// written as \n, \r, \t or \xHH.
QString shown(const QString& path);

// One line to the stream, in the locale's encoding.
void print(std::ostream& stream, const QString& line);

// Writes path through a QSaveFile; empty on success, else the reason.
QString save(const QString& path, const std::function<bool(QSaveFile&, QString&)>& write);

// The file a path names, links and ".." resolved: of the folder for a file not written yet, and of
// the archive for an entry of one (no output may replace the archive).
QString canonical(const QString& path);

// The file's readability as the batch checks it before reading: empty when it may be read.
QString not_a_file(const QString& file);

} // namespace batch_files
