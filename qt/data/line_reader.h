#pragma once

#include "data/byte_source.h"

#include <QString>

#include <memory>
#include <vector>

class QTextCodec;
class loader_progress;
class QTextDecoder;

// Reads a text file line by line in one streaming pass, as bytes, exactly as a QTextStream with its
// default decoding would split it: lines end at "\n" or "\r\n" (a "\r" before the end of the input
// too), a UTF-8 byte-order mark is dropped, and a UTF-16 or UTF-32 file (recognised by its mark) is
// converted to UTF-8 first. codec() decodes field bytes the way that stream would. A gzip file is
// read as the text it holds.
class line_reader
{
public:
    // Throws loader_read_failed with "Can't open file: <reason>" if the file cannot be opened.
    explicit line_reader(const QString& file_name);
    ~line_reader();

    line_reader(const line_reader&) = delete;
    line_reader& operator=(const line_reader&) = delete;

    // True when no further line can be read.
    bool at_end();
    // The next line without its line end, valid until the next call; an empty range at the end.
    // Throws loader_read_failed with "Can't read file: <reason>" on a read error.
    void next(const char*& begin, const char*& end);
    // Replaces out with the next whole lines, line ends kept, at least bytes of them unless the input
    // ends first (only the input's last line may lack its end); false when nothing is left.
    bool next_lines(std::size_t bytes, std::vector<char>& out);

    QTextCodec* codec() const { return codec_; }

    // From the next chunk on, reports the bytes read after each chunk, and the file size at the end
    // unless that was the last count reported.
    void report_to(loader_progress* progress) { progress_ = progress; }

private:
    bool fill();
    // Tells the progress the bytes read, once for each new count.
    void report(qint64 bytes);

    byte_source file_;
    QTextCodec* codec_ = nullptr;
    std::unique_ptr<QTextDecoder> transcoder_; // set for UTF-16 and UTF-32 files
    std::vector<char> buffer_;
    std::size_t pos_ = 0;  // start of the unread bytes in buffer_
    std::size_t size_ = 0; // end of the valid bytes in buffer_
    bool eof_ = false;     // the file has no more bytes
    bool started_ = false;
    loader_progress* progress_ = nullptr;
    qint64 file_size_ = 0; // 0 for a pipe or an empty file
    qint64 reported_ = -1;
};
