#pragma once

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

    // Reads the file; a missing file gives no segments and no failure. Rows are applied in order, so
    // a later row wins over an earlier one it overlaps (said once); broken lines are skipped, each
    // named in a warning.
    static result read(const QString& path);

    // Writes every segment atomically (a temporary file in the same folder, then a rename); the
    // message saying what failed, empty on success. The old file stays intact on failure.
    static QString write(const QString& path, const label_segments& segments);
    static QByteArray to_csv(const label_segments& segments);

    static QString format_time(qint64 ms);
    // ISO 8601 with or without milliseconds; a time without an offset is taken as UTC.
    static std::optional<qint64> parse_time(const QString& text);
};
