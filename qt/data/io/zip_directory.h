#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct zip;

// A zip archive opened once: its data entries from one pass over the central directory, and each
// entry's first bytes on request, so that sorting out many entries never reopens the archive. Not
// tied to the GUI thread; one object serves one thread.
class zip_directory
{
public:
    // Lists the .csv and .txt entries (any case) as entry paths, in archive order; none for a file
    // that is no zip archive or cannot be read as one. An entry whose name points outside the
    // archive (escapes()) is left out, the first such name kept in escaping.
    explicit zip_directory(const QString& archive);
    ~zip_directory();

    zip_directory(const zip_directory&) = delete;
    zip_directory& operator=(const zip_directory&) = delete;

    bool archive = false; // the file starts as a zip archive does
    QStringList entries;
    QString escaping;

    // The first bytes of entries[i] unpacked, in steps of 4 KiB: at least its first line with its
    // line end (in the code units of its UTF-16 or UTF-32 mark), at most head_limit; empty for an
    // entry that cannot be read (encrypted or damaged at its start).
    QByteArray head(int i);
    // Longest head: a header line of line_reader's bound in UTF-32.
    static constexpr int head_limit = (4 << 20) + 8;

    // Whether an entry name points outside its archive: a ".." part, an absolute path or a drive,
    // or a backslash (a separator elsewhere).
    static bool escapes(const QString& name);
    // Whether an entry of that name holds data: its name ends in ".csv" or ".txt" (any case).
    static bool is_data_entry(const QString& name);
    // Whether the file starts as a zip archive does (it may still be damaged).
    static bool is_archive(const QString& file_name);

private:
    // The code unit a text's byte-order mark announces (one byte without a UTF-16 or UTF-32 mark).
    struct code_unit
    {
        int bytes = 1;
        bool big_endian = false;
        static code_unit of(const QByteArray& text);
        // The index after the first newline unit at or after from (rounded down to a unit), else -1.
        int line_end(const QByteArray& text, int from) const;
    };

    struct closer
    {
        void operator()(zip* z) const;
    };
    std::unique_ptr<zip, closer> zip_;
    std::vector<qint64> index_; // each entry's index in the archive
};
