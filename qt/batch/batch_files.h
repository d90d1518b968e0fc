#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

class QSaveFile;
class burst_space;

// What the batch commands share: paths as printed, files written atomically, outputs named per
// animal, and every animal of an input file read with the program's loader chain.
namespace batch_files {

extern const char program[]; // "dornvale-batch: ", the start of every error line

// The error line's words for lines of a file that could not be read and were left out.
QString skipped_lines_text(qint64 skipped);
// The error line's words for fixes left out for a position off the earth.
QString off_the_earth_text(qint64 fixes);

// A path as printed: native separators, a control character written as \n, \r, \t or \xHH.
QString shown(const QString& path);
void print(std::ostream& stream, const QString& line);
// Writes path through a QSaveFile; empty on success, else the reason.
QString save(const QString& path, const std::function<bool(QSaveFile&, QString&)>& write);
// The file a path names, links and ".." resolved (the archive for an entry of one).
QString canonical(const QString& path);
// The file's readability as the batch checks it before reading: empty when it may be read. A
// labels file given as data is named as one, with the data file it belongs to.
QString not_a_file(const QString& file);
// The words for fixes left out as 2D or invalid and without a usable time (as the main window's
// data row gives them), empty for none.
QString unplaced_fixes_text(qint64 two_d_or_invalid, qint64 no_time);
// The inputs' canonical paths: where the paths taken by a run start, as no output may replace an
// input or an earlier output.
QSet<QString> taken_inputs(const QStringList& files);
// Why nothing is written to path when it is taken, else empty.
QString taken_refusal(const QSet<QString>& taken, const QString& path);
// taken_refusal, and path taken when it is free.
QString take(QSet<QString>& taken, const QString& path);
// path with "-<animal>" before its last suffix; path itself for a null animal.
QString with_animal(const QString& path, const QString& animal);

// Writes one animal's outputs (animal null for a file of one, else its identifier, "" for none; id
// its identifier either way): empty on success with done set to the words after the name, else the
// reason.
using animal_writer = std::function<QString(const QString& animal, const QString& id, const burst_space& space,
                                            QString& done)>;
// Reads file and calls write for each animal, printing a line per animal to out or err; a line to
// err for a missing or unreadable file, an animal with fixes only and lines left out. Returns the
// number of failures.
int for_each_animal(const QString& file, std::ostream& out, std::ostream& err, const animal_writer& write);

} // namespace batch_files
