#pragma once

#include "data/labels/file_stamp.h"
#include "data/labels/label_segments.h"

#include <QString>
#include <QStringList>

#include <optional>

// The labels file beside a data file: UTF-8 CSV with the header animal,start_utc,end_utc,label,note,
// one segment per row, times ISO 8601 UTC with milliseconds (2014-05-02T06:00:00.000Z).
class labels_file
{
public:
    struct result
    {
        label_segments segments;
        QStringList labels;   // every label named, in the order of first use
        QStringList warnings; // each a sentence naming the file
        QString failure;      // why the file could not be read at all; empty when it could
        qint32 skipped_lines = 0;
        QStringList ignored_columns;
        file_stamp stamp; // the bytes read

        // Writing over the file would lose something it holds: it failed, lines were skipped or
        // columns ignored.
        bool rewrite_loses_data() const
        {
            return !failure.isEmpty() || skipped_lines > 0 || !ignored_columns.isEmpty();
        }
    };

    // NAME.labels.csv beside the data file, NAME its name without .gz and without its extension;
    // for a zip entry path, beside the archive and named after the entry.
    static QString path_for(const QString& data_path);

    // No honest labels file comes near these: a larger file is refused whole, a longer field skips
    // its line.
    static constexpr qint64 max_bytes = 256 * 1000 * 1000;
    static constexpr int max_field_chars = 65536;

    // Reads the file; a missing file gives no segments and no failure, anything but a regular file of
    // at most max_bytes a failure. Where rows overlap, the later row wins (said once); touching
    // segments of one label merge, their notes joined; broken lines are skipped, each named in a
    // warning.
    static result read(const QString& path);

    // Writes every segment atomically (a temporary file in the same folder, then a rename); the
    // message saying what failed, empty on success. The old file stays intact on failure.
    static QString write(const QString& path, const label_segments& segments);
    static QByteArray to_csv(const label_segments& segments);
    // The same, unless the file no longer matches *expected (another program or window changed it
    // since): then nothing is written and *changed is set. After a write *expected is the new file's.
    static QString write_unless_changed(const QString& path, const label_segments& segments,
                                        file_stamp* expected, bool* changed);

    static QString format_time(qint64 ms);
    // ISO 8601 with or without milliseconds; a time without an offset is taken as UTC.
    static std::optional<qint64> parse_time(const QString& text);
};
