#pragma once

#include "data/byte_source.h"

#include <QString>

#include <memory>
#include <vector>

class QTextCodec;
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

    QTextCodec* codec() const { return codec_; }

private:
    bool fill();

    byte_source file_;
    QTextCodec* codec_ = nullptr;
    std::unique_ptr<QTextDecoder> transcoder_; // set for UTF-16 and UTF-32 files
    std::vector<char> buffer_;
    std::size_t pos_ = 0;  // start of the unread bytes in buffer_
    std::size_t size_ = 0; // end of the valid bytes in buffer_
    bool eof_ = false;     // the file has no more bytes
    bool started_ = false;
};
