#pragma once

#include "data/io/byte_input.h"

#include <QByteArray>
#include <QString>

#include <array>

// What a file's first line tells before any reader runs: which of the readers accept it, whether it
// names both sensors and the animals. The line is read once and never past it (nor a pipe or device).
class header_sniff
{
public:
    // The readers, in the order the loader chains try them for each sensor.
    enum sniffed_reader { acc_fixed, acc_eobs, acc_named, gps_fixed, gps_eobs, gps_named, reader_count };
    // The export a file is by the fixed layouts alone.
    enum kind { neither, acceleration, gps };

    // Reads the first line of a regular file or zip entry path; a missing one is judged as neither.
    // logged: writes "header check of <path>" first, for a file that exists.
    static header_sniff of_file(const QString& path, bool logged = true);
    // of_file() for an archive entry whose first bytes (zip_directory::head) are at hand, read from
    // memory so the archive is not opened again.
    static header_sniff of_head(const QString& entry_path, const QByteArray& head);
    // Judges a first line held in memory (as line_reader hands it: without its line end).
    static header_sniff of_line(const char* begin, const char* end);

    bool exists = false; // a regular file or an entry of a zip archive
    bool read = false;   // its first line was read
    QString failure;     // why it could not be read; empty otherwise
    std::array<bool, reader_count> accepts{};
    bool both_sensors = false;  // a sensor-type column with burst and position columns
    bool names_animals = false; // an individual or tag identifier column
    int header_fields = 0;      // comma-separated fields of the line

    // acceleration or gps when a fixed-layout reader of that sensor accepts the line.
    kind fixed_kind() const;
    // Whether a reader of that sensor, the named-column one included, accepts the line; a download
    // with both sensors' rows reads as both.
    bool reads_as(kind sensor) const;

private:
    // of_file() once the file is known to exist.
    static header_sniff of_existing(const byte_input& input, bool logged);
};
