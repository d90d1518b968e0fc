#pragma once

#include "data/io/line_reader.h"
#include "data/io/skipped_lines_log.h"
#include "data/formats/named_columns.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class loader_progress;

// The reading the named-column readers share: the header, then data lines split with standard
// quoting, each belonging to an animal (individual identifier, else tag identifier) and a sensor.
class named_rows
{
public:
    using field = std::pair<const char*, const char*>;

    // Reads the header line. Throws loader_read_failed like line_reader; progress, if given, is
    // polled for a cancel inside long lines and told the bytes read from then on.
    explicit named_rows(const byte_input& input, loader_progress* progress = nullptr);
    // Reads on from lines, whose header line is [begin, end).
    named_rows(line_reader& lines, const char* begin, const char* end, loader_progress* progress);
    named_rows(const named_rows&) = delete;
    named_rows& operator=(const named_rows&) = delete;

    const named_columns& columns() const { return *columns_; }
    QTextCodec* codec() const { return lines_.codec(); }
    bool compressed() const { return lines_.compressed(); }
    QString file_name() const { return file_name_; }

    // Splits the next line of that sensor (its sensor-type, where the file has one) into fields,
    // polling progress for cancellation once per line; a line with another number of fields than
    // the header, or longer than line_reader's bound, is skipped with a message (past 1,000 of them,
    // one summary at the end). False at the end of the file or when cancelled.
    bool next_of(const char* sensor, std::vector<field>& fields, loader_progress* progress);

    // Lines left out with a "skip line" message so far.
    qint64 skipped_lines() const { return skipped_.skipped(); }
    // Lines read so far, the header included.
    qint64 line_count() const { return line_count_; }

    // The row's animal identifier; empty when the file names none.
    QByteArray animal(const std::vector<field>& fields) const;
    // The row's tag-local-identifier; empty when the file has no such column.
    QString tag(const std::vector<field>& fields) const;

    // The text of a field without its surrounding quotes.
    static field unquoted(field f);
    static field unquoted(const std::vector<field>& fields, int column)
    {
        return unquoted(fields[static_cast<std::size_t>(column)]);
    }
    // The row's time in column as UTC milliseconds; start_time_repair::usable tells whether it is one.
    qint64 time_of(const std::vector<field>& fields, int column) const;

    // Whether the file's header names a sensor-type column, the acceleration burst columns and
    // the GPS position columns, so that it may hold both sensors; false for a file that cannot be read.
    static bool names_both_sensors(const QString& file_name);
    static bool names_both_sensors(const named_columns& columns);

private:
    // Reads the header line [b, e) of lines_.
    void take_header(const char* b, const char* e, loader_progress* progress);

    QString file_name_;
    std::unique_ptr<line_reader> owned_; // the reader's own source, when it opened one
    line_reader& lines_;
    skipped_lines_log skipped_{trace::stream::out};
    std::unique_ptr<named_columns> columns_;
    int individual_ = -1;
    int tag_ = -1;
    int sensor_ = -1;
    qint64 line_count_ = 1;
};
