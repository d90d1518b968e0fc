#include "data/line_reader.h"

#include "data/loader_progress.h"
#include "data/loader_read_failed.h"

#include <QTextCodec>
#include <QTextDecoder>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t chunk_size = 1 << 20;

} // namespace

line_reader::line_reader(const QString& file_name) : file_(file_name)
{
    codec_ = QTextCodec::codecForLocale();
    buffer_.resize(2 * chunk_size);
    file_size_ = file_.size();
}

line_reader::~line_reader() = default;

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
    if (buffer_.size() - size_ < chunk_size)
        buffer_.resize(size_ + 2 * chunk_size);

    const qint64 n = file_.read(buffer_.data() + size_, static_cast<qint64>(chunk_size));
    if (n == 0) {
        eof_ = true;
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

void line_reader::next(const char*& begin, const char*& end)
{
    std::size_t scanned = pos_;
    for (;;) {
        const char* base = buffer_.data();
        const void* nl = std::memchr(base + scanned, '\n', size_ - scanned);
        if (nl) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - base);
            begin = base + pos_;
            end = base + at;
            pos_ = at + 1;
            break;
        }
        scanned = size_ - pos_; // fill() moves the unread bytes to the front
        if (!fill()) {
            begin = buffer_.data() + pos_;
            end = buffer_.data() + size_;
            pos_ = size_;
            break;
        }
    }
    if (end != begin && end[-1] == '\r')
        --end;
}

bool line_reader::next_lines(std::size_t bytes, std::vector<char>& out)
{
    out.clear();
    out.reserve(bytes + (std::size_t(1) << 16)); // room for the line the cut falls in, mostly
    while (!at_end()) {
        const char* base = buffer_.data() + pos_;
        const std::size_t available = size_ - pos_;
        const std::size_t wanted = out.size() < bytes ? bytes - out.size() : 1;
        std::size_t take = available;
        if (wanted <= available) {
            const void* nl = std::memchr(base + wanted - 1, '\n', available - (wanted - 1));
            if (nl)
                take = static_cast<std::size_t>(static_cast<const char*>(nl) - base) + 1;
        }
        out.insert(out.end(), base, base + take);
        pos_ += take;
        if (take < available || (out.size() >= bytes && out.back() == '\n'))
            return true;
    }
    return !out.empty();
}
