#pragma once

#include "data/io/byte_input.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

class read_ahead;

// The bytes of a file, read in one streaming pass: a gzip file (recognised by its magic bytes) is
// inflated on the fly, a zip archive gives its first CSV or text entry without unpacking to disk
// (an entry path, see zip_entry_path, gives that entry), any other file, and bytes held in memory, are
// passed through unchanged.
class byte_source
{
public:
    // Throws loader_read_failed with "Can't open file: <reason>" if the file cannot be opened or is
    // not a regular file (a directory, device or pipe is refused before it is opened); bytes in
    // memory never throw.
    explicit byte_source(const byte_input& input);
    ~byte_source();

    byte_source(const byte_source&) = delete;
    byte_source& operator=(const byte_source&) = delete;

    // Reads up to max bytes into out; 0 at the end. Throws loader_read_failed with
    // "Can't read file: <reason>" on a read error or a damaged or truncated gzip stream or archive.
    qint64 read(char* out, qint64 max);

    // Size of the file on disk for progress, the unpacked size of a zip entry; 0 where progress
    // cannot be told (a pipe).
    qint64 size() const;
    // Bytes of the file on disk consumed so far (compressed bytes for a gzip file, unpacked bytes
    // of a zip entry).
    qint64 position() const;
    // True for gzip and zip input, whose text is longer than the file.
    bool compressed() const;
    QString file_name() const { return name_; }

private:
    struct inflater;
    struct archive;

    // Opens the named entry, or the first data entry when entry is empty.
    void open_archive(const QString& file_name, const QString& entry);

    qint64 read_raw(char* out, qint64 max);
    // The next bytes of a compressed file, on whichever thread reads them.
    qint64 unpack(char* out, qint64 max);
    qint64 inflate_into(char* out, qint64 max);
    // ISA-L's decoding; -1 when the input is damaged, cut or odd in any way.
    qint64 inflate_fast(char* out, qint64 max);
    qint64 inflate_slow(char* out, qint64 max);
    bool refill(unsigned char*& next, unsigned int& avail);
    bool skip_padding(unsigned char*& next, unsigned int& avail);

    QString name_;
    QFile file_;
    std::optional<QByteArray> memory_; // set for bytes in memory
    qint64 memory_read_ = 0;
    std::unique_ptr<inflater> inflater_; // set for gzip files
    std::unique_ptr<archive> archive_;   // set for zip archives
    qint64 size_ = 0;
    int reads_ = 0;
    std::unique_ptr<read_ahead> ahead_; // unpacks compressed input from the second read on
};
