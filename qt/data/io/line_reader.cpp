#include "data/io/line_reader.h"

#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"

#include <QDir>
#include <QTextCodec>
#include <QTextDecoder>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t chunk_size = 1 << 20;

} // namespace

line_reader::line_reader(const byte_input& input, loader_progress* progress, std::size_t max_line)
    : file_(input), cancel_(progress), max_line_(max_line)
{
    codec_ = QTextCodec::codecForLocale();
    file_size_ = file_.size();
}

line_reader::~line_reader() = default;

bool line_reader::cancelled()
{
    return cancel_ && cancel_->loader_progress_cancelled();
}

// Appends the next chunk of the file (converted to UTF-8 for UTF-16/32 files) after the unread
// bytes; false at the end of the file.
bool line_reader::fill()
{
    if (eof_)
        return false;
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, size_ - pos_);
        size_ -= pos_;
        pos_ = 0;
    }
    // Small files get a small buffer; a buffer grown for one long line is given back afterwards.
    // Compressed input inflates past the size on disk: it reads whole chunks.
    const auto left = static_cast<std::size_t>(std::max<qint64>(file_size_ - file_.position(), 0));
    const std::size_t want =
        file_.compressed() ? chunk_size : std::min(chunk_size, std::max<std::size_t>(left + 1, 4096));
    if (buffer_.size() - size_ < want)
        buffer_.resize(size_ + std::max(want, std::min(buffer_.size(), 2 * chunk_size)));
    else if (buffer_.size() > 8 * chunk_size && size_ + want < chunk_size)
        std::vector<char>(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(2 * chunk_size))
            .swap(buffer_);

    const qint64 n = file_.read(buffer_.data() + size_, static_cast<qint64>(want));
    if (n == 0) {
        eof_ = true;
        cut_ = transcoder_ && transcoder_->needsMoreData();
        if (file_.position() < file_size_)
            throw loader_read_failed(
                QStringLiteral("Can't read file: \"%1\" became shorter while it was read (%2 of %3 bytes)")
                    .arg(QDir::toNativeSeparators(file_.file_name()))
                    .arg(file_.position())
                    .arg(file_size_));
        report(std::max(file_.position(), file_size_));
        return false;
    }
    report(file_.position());
    std::size_t got = static_cast<std::size_t>(n);

    if (!started_) {
        started_ = true;
        const QByteArray head = QByteArray::fromRawData(buffer_.data(), static_cast<int>(got));
        QTextCodec* utf = QTextCodec::codecForUtfText(head, nullptr);
        if (utf && utf->mibEnum() == 106) { // UTF-8: drop the mark, decode fields as UTF-8
            codec_ = utf;
            std::memmove(buffer_.data(), buffer_.data() + 3, got - 3);
            got -= 3;
        } else if (utf) {
            transcoder_.reset(utf->makeDecoder());
            codec_ = QTextCodec::codecForMib(106);
        }
    }
    if (transcoder_) {
        const QByteArray utf8 =
            transcoder_->toUnicode(buffer_.data() + size_, static_cast<int>(got)).toUtf8();
        if (buffer_.size() < size_ + static_cast<std::size_t>(utf8.size()))
            buffer_.resize(size_ + static_cast<std::size_t>(utf8.size()) + chunk_size);
        std::memcpy(buffer_.data() + size_, utf8.constData(), static_cast<std::size_t>(utf8.size()));
        got = static_cast<std::size_t>(utf8.size());
    }
    size_ += got;
    return true;
}

void line_reader::report(qint64 bytes)
{
    if (progress_ && file_size_ > 0 && bytes != reported_) {
        reported_ = bytes;
        progress_->loader_progress_bytes(bytes, file_size_);
    }
}

bool line_reader::at_end()
{
    while (pos_ == size_) {
        if (!fill())
            return true;
    }
    return false;
}

line_reader::line line_reader::next(const char*& begin, const char*& end)
{
    std::size_t scanned = pos_;
    bool too_long = false;
    for (;;) {
        const char* base = buffer_.data();
        // An empty buffer may have no storage at all: memchr must not see its null pointer.
        const void* nl = size_ > scanned ? std::memchr(base + scanned, '\n', size_ - scanned) : nullptr;
        if (nl) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - base);
            begin = base + pos_;
            end = base + at;
            too_long = too_long || at - pos_ > max_line_;
            pos_ = at + 1;
            break;
        }
        if (too_long || size_ - pos_ > max_line_) {
            if (header_) {
                pos_ = size_;
                eof_ = true;
                begin = end = buffer_.data() + size_;
                return line::too_long;
            }
            too_long = true;
            pos_ = size_; // drop what is held of the line and look for its end in the next chunks
        }
        if ((too_long || size_ - pos_ >= chunk_size) && cancelled()) { // only inside a long line
            pos_ = size_;
            eof_ = true;
            begin = end = buffer_.data() + size_;
            return line::cancelled;
        }
        scanned = size_ - pos_; // fill() moves the unread bytes to the front
        if (!fill()) {
            begin = buffer_.data() + pos_;
            end = buffer_.data() + size_;
            pos_ = size_;
            if (cut_ && !too_long) {
                begin = end;
                return line::cut;
            }
            break;
        }
    }
    if (too_long) {
        begin = end;
        return line::too_long;
    }
    if (end != begin && end[-1] == '\r')
        --end;
    return line::ok;
}

bool line_reader::next_lines(std::size_t bytes, std::vector<char>& out, line& tail)
{
    out.clear();
    // Room for the line the cut falls in, mostly; a small file gets a small block.
    const std::size_t room = fits_in(bytes) ? rest() : bytes;
    out.reserve(room + std::min(room, std::size_t(1) << 16));
    tail = line::ok;
    const char* b;
    const char* e;
    for (std::size_t count = 0; count < max_block_lines && out.size() < bytes && !at_end();) {
        // The whole lines already buffered go over in one copy, their line ends as they are.
        const char* const base = buffer_.data();
        std::size_t whole = pos_;
        for (; count < max_block_lines && out.size() + (whole - pos_) < bytes; ++count) {
            const void* nl = std::memchr(base + whole, '\n', size_ - whole);
            if (!nl || static_cast<std::size_t>(static_cast<const char*>(nl) - (base + whole)) > max_line_)
                break;
            whole = static_cast<std::size_t>(static_cast<const char*>(nl) - base) + 1;
        }
        if (whole != pos_) {
            out.insert(out.end(), base + pos_, base + whole);
            pos_ = whole;
            continue;
        }
        tail = next(b, e);
        if (tail != line::ok)
            return true;
        out.insert(out.end(), b, e);
        out.push_back('\n');
        ++count;
    }
    return !out.empty();
}

line_reader::line line_reader::header(const char*& begin, const char*& end)
{
    const std::size_t max_line = max_line_;
    max_line_ = std::min(max_line_, max_header_line);
    header_ = true;
    const line got = next(begin, end);
    max_line_ = max_line;
    header_ = false;
    if (got == line::too_long) {
        pos_ = size_;
        eof_ = true;
    }
    return got;
}

std::size_t line_reader::rest() const
{
    return size_ - pos_ + static_cast<std::size_t>(std::max<qint64>(file_size_ - file_.position(), 0));
}

bool line_reader::fits_in(std::size_t bytes) const
{
    return !file_.compressed() && !transcoder_ && file_size_ > 0 && rest() <= bytes;
}

std::string line_reader::unusable_text(line l)
{
    if (l == line::cut)
        return "cut inside a character at the end of the file";
    return "longer than " + std::to_string(default_max_line) + " bytes";
}
