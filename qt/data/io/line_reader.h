#pragma once

#include "data/io/byte_source.h"

#include <QString>

#include <memory>
#include <string>
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
    // Longest line handed out; a longer one is passed over without being held in memory.
    static constexpr std::size_t default_max_line = std::size_t(256) << 20;

    // cut: the last line of a UTF-16 or UTF-32 file that ends inside a character (a cut file).
    enum class line { ok, too_long, cancelled, cut };
    // What a skipped-line message says of an unusable line: "longer than <bound> bytes", ...
    static std::string unusable_text(line l);

    // Throws loader_read_failed with "Can't open file: <reason>" if the file cannot be opened or is
    // not a regular file (a directory, device or pipe is refused before it is opened). progress, if
    // given, is polled between chunks so that a cancel is seen inside a long line.
    explicit line_reader(const byte_input& input, loader_progress* progress = nullptr,
                         std::size_t max_line = default_max_line);
    ~line_reader();

    line_reader(const line_reader&) = delete;
    line_reader& operator=(const line_reader&) = delete;

    // True when no further line can be read.
    bool at_end();
    // The next line without its line end, valid until the next call; an empty range at the end.
    // too_long: the line exceeded the bound and was passed over (empty range); cancelled: the load
    // was cancelled inside the line (empty range, at_end() true afterwards).
    // Throws loader_read_failed with "Can't read file: <reason>" on a read error or when the file
    // ends before the size it had when it was opened.
    line next(const char*& begin, const char*& end);
    // Replaces out with the next lines, each ended by its "\n" or "\r\n" (the last line of the input,
    // as next() gives it, by "\n"), at least bytes of them unless the input ends first or a line is
    // not ok; tail tells that line (too_long or cancelled, which follows out's lines) or ok. False
    // when nothing is left.
    bool next_lines(std::size_t bytes, std::vector<char>& out, line& tail);
    // True when the rest of the input is known to be at most bytes long (plain files only).
    bool fits_in(std::size_t bytes) const;
    // The first line, as next() gives it, except that a line over max_header_line is too_long at
    // once and ends the input: a file without line ends is refused without being read through.
    line header(const char*& begin, const char*& end);

    static constexpr std::size_t max_header_line = std::size_t(1) << 20;
    // A block of next_lines() holds at most this many lines, so a flood of empty lines stays small.
    static constexpr std::size_t max_block_lines = 16384;

    QTextCodec* codec() const { return codec_; }
    // True for gzip and zip input.
    bool compressed() const { return file_.compressed(); }
    QString file_name() const { return file_.file_name(); }

    // From the next chunk on, reports the bytes read after each chunk, and the file size at the end
    // unless that was the last count reported.
    void report_to(loader_progress* progress) { progress_ = progress; }

private:
    bool fill();
    // Bytes buffered and not yet read from a plain file.
    std::size_t rest() const;
    bool cancelled();
    // Tells the progress the bytes read, once for each new count.
    void report(qint64 bytes);

    byte_source file_;
    loader_progress* cancel_; // polled for a cancel inside long lines
    std::size_t max_line_;
    QTextCodec* codec_ = nullptr;
    std::unique_ptr<QTextDecoder> transcoder_; // set for UTF-16 and UTF-32 files
    std::vector<char> buffer_;
    std::size_t pos_ = 0;  // start of the unread bytes in buffer_
    std::size_t size_ = 0; // end of the valid bytes in buffer_
    bool eof_ = false;     // the file has no more bytes
    bool started_ = false;
    bool cut_ = false;    // the input ended inside a character
    bool header_ = false; // reading the header: a line over the bound ends the input
    loader_progress* progress_ = nullptr;
    qint64 file_size_ = 0; // size on disk at opening; 0 for a pipe, an archive or an empty file
    qint64 reported_ = -1;
};
