#include "data/byte_source.h"

#include "data/loader_read_failed.h"

#include <zlib.h>

#include <vector>

namespace {

constexpr std::size_t input_chunk = 1 << 18;

} // namespace

struct byte_source::inflater
{
    z_stream stream{};
    std::vector<unsigned char> input = std::vector<unsigned char>(input_chunk);
    bool input_end = false;    // the file has no more bytes
    bool member_ended = false; // the last gzip member ended cleanly
    ~inflater() { inflateEnd(&stream); }
};

byte_source::byte_source(const QString& file_name) : file_(file_name)
{
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw loader_read_failed(QStringLiteral("Can't open file: ") + file_.errorString());
    char magic[2];
    if (file_.peek(magic, 2) != 2 || static_cast<unsigned char>(magic[0]) != 0x1f ||
        static_cast<unsigned char>(magic[1]) != 0x8b)
        return;
    inflater_ = std::make_unique<inflater>();
    // 16 + MAX_WBITS: a gzip wrapper, checked (CRC and length) at the end of each member.
    if (inflateInit2(&inflater_->stream, 16 + MAX_WBITS) != Z_OK)
        throw loader_read_failed(QStringLiteral("Can't read file: the compressed data cannot be unpacked"));
}

byte_source::~byte_source() = default;

qint64 byte_source::read_raw(char* out, qint64 max)
{
    const qint64 n = file_.read(out, max);
    if (n < 0)
        throw loader_read_failed(QStringLiteral("Can't read file: ") + file_.errorString());
    return n;
}

qint64 byte_source::read(char* out, qint64 max)
{
    return inflater_ ? inflate_into(out, max) : read_raw(out, max);
}

qint64 byte_source::inflate_into(char* out, qint64 max)
{
    z_stream& z = inflater_->stream;
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = static_cast<uInt>(max);
    while (z.avail_out == static_cast<uInt>(max)) {
        if (z.avail_in == 0 && !inflater_->input_end) {
            const qint64 n = read_raw(reinterpret_cast<char*>(inflater_->input.data()),
                                      static_cast<qint64>(inflater_->input.size()));
            inflater_->input_end = n == 0;
            z.next_in = inflater_->input.data();
            z.avail_in = static_cast<uInt>(n);
        }
        if (z.avail_in == 0 && inflater_->input_end) {
            if (inflater_->member_ended)
                return 0;
            throw loader_read_failed(
                QStringLiteral("Can't read file: the compressed data ends early (truncated download?)"));
        }
        if (inflater_->member_ended) {
            // Another gzip member follows (concatenated archives read as one stream).
            inflateReset(&z);
            inflater_->member_ended = false;
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            inflater_->member_ended = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            throw loader_read_failed(QStringLiteral("Can't read file: the compressed data is damaged (%1)")
                                         .arg(QString::fromLatin1(z.msg ? z.msg : "unknown error")));
        }
    }
    return max - static_cast<qint64>(z.avail_out);
}
