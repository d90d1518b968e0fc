#include "data/io/byte_source.h"

#include "data/io/loader_read_failed.h"
#include "data/io/read_ahead.h"
#include "data/io/zip_directory.h"
#include "data/io/zip_entry_path.h"

#include <QDir>
#include <QFileInfo>

#include <isa-l/igzip_lib.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t input_chunk = 1 << 18;

} // namespace

// Two decoders of one gzip stream: ISA-L's, about three times faster, reads every well-formed file;
// at the first sign of trouble zlib starts over from the first byte and passes over the bytes already
// handed out, so that damaged input fails exactly as zlib tells it.
struct byte_source::inflater
{
    inflate_state fast{};
    z_stream stream{};
    bool slow = false;     // zlib decodes
    qint64 delivered = 0;  // bytes handed out so far
    qint64 to_skip = 0;    // bytes zlib decodes again and drops after taking over
    std::vector<unsigned char> input = std::vector<unsigned char>(input_chunk);
    bool input_end = false;    // the file has no more bytes
    bool member_ended = false; // the last gzip member ended cleanly
    bool padded = false;       // zero bytes followed the last member
    ~inflater() { inflateEnd(&stream); }
};

struct byte_source::archive
{
    zip_t* zip = nullptr;
    zip_file_t* entry = nullptr;
    qint64 size = 0; // unpacked
    qint64 read = 0;
    ~archive()
    {
        if (entry)
            zip_fclose(entry);
        if (zip)
            zip_discard(zip);
    }
};

namespace {

QString zip_reason(zip_error_t* error)
{
    return QStringLiteral("Can't read file: the archive is damaged or incomplete (%1)")
        .arg(QString::fromLocal8Bit(zip_error_strerror(error)));
}

} // namespace

byte_source::byte_source(const byte_input& input) : name_(input.name), memory_(input.memory)
{
    if (memory_)
        return;
    const QString& file_name = name_;
    file_.setFileName(file_name);
    QString archive_name;
    QString entry;
    if (zip_entry_path::split(file_name, &archive_name, &entry)) {
        file_.setFileName(archive_name);
        if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw loader_read_failed(QStringLiteral("Can't open file: ") + file_.errorString());
        open_archive(archive_name, entry);
        return;
    }
    // Opening a pipe without a writer would block, and a device may never end: refuse both unread.
    const QFileInfo info(file_name);
    if (info.exists() && !info.isFile())
        throw loader_read_failed(
            QStringLiteral("Can't open file: \"%1\" is not a regular file (a directory, device or pipe)")
                .arg(QDir::toNativeSeparators(file_name)));
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw loader_read_failed(QStringLiteral("Can't open file: ") + file_.errorString());
    char magic[4];
    const qint64 got = file_.peek(magic, 4);
    if (got == 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0) {
        open_archive(file_name, QString());
        return;
    }
    if (got < 2 || static_cast<unsigned char>(magic[0]) != 0x1f ||
        static_cast<unsigned char>(magic[1]) != 0x8b)
        return;
    inflater_ = std::make_unique<inflater>();
    isal_inflate_init(&inflater_->fast);
    inflater_->fast.crc_flag = ISAL_GZIP;
    // 16 + MAX_WBITS: a gzip wrapper, checked (CRC and length) at the end of each member.
    if (inflateInit2(&inflater_->stream, 16 + MAX_WBITS) != Z_OK)
        throw loader_read_failed(QStringLiteral("Can't read file: the compressed data cannot be unpacked"));
}

byte_source::~byte_source() = default;

void byte_source::open_archive(const QString& file_name, const QString& entry)
{
    archive_ = std::make_unique<archive>();
    int code = 0;
    archive_->zip = zip_open(QFile::encodeName(file_name).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive_->zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString reason = zip_reason(&error);
        zip_error_fini(&error);
        throw loader_read_failed(reason);
    }
    const zip_int64_t count = zip_get_num_entries(archive_->zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(archive_->zip, static_cast<zip_uint64_t>(i), 0));
        if (zip_directory::escapes(name))
            throw loader_read_failed(zip_entry_path::escape_refusal(file_name, name));
    }
    zip_int64_t index = -1;
    if (!entry.isEmpty()) {
        index = zip_name_locate(archive_->zip, entry.toUtf8().constData(), 0);
        if (index < 0)
            throw loader_read_failed(
                QStringLiteral("Can't read file: the archive holds no file \"%1\"").arg(entry));
    } else {
        for (zip_int64_t i = 0; i < count && index < 0; ++i) {
            if (zip_directory::is_data_entry(
                    QString::fromUtf8(zip_get_name(archive_->zip, static_cast<zip_uint64_t>(i), 0))))
                index = i;
        }
        if (index < 0)
            throw loader_read_failed(
                QStringLiteral("Can't read file: the archive holds no .csv or .txt file"));
    }
    zip_stat_t stat;
    if (zip_stat_index(archive_->zip, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE))
        archive_->size = static_cast<qint64>(stat.size);
    if (zip_stat_index(archive_->zip, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        throw loader_read_failed(
            QStringLiteral("Can't read file: the entry \"%1\" of the archive \"%2\" is encrypted; unpack it "
                           "with its password first")
                .arg(QString::fromUtf8(zip_get_name(archive_->zip, static_cast<zip_uint64_t>(index), 0)),
                     QDir::toNativeSeparators(file_name)));
    archive_->entry = zip_fopen_index(archive_->zip, static_cast<zip_uint64_t>(index), 0);
    if (!archive_->entry)
        throw loader_read_failed(zip_reason(zip_get_error(archive_->zip)));
}

qint64 byte_source::size() const
{
    if (memory_)
        return memory_->size();
    if (ahead_)
        return size_;
    if (archive_)
        return archive_->size;
    return file_.isSequential() ? 0 : file_.size();
}

bool byte_source::compressed() const
{
    return inflater_ || archive_;
}

qint64 byte_source::position() const
{
    if (memory_)
        return memory_read_;
    if (ahead_)
        return ahead_->position();
    return archive_ ? archive_->read : file_.pos();
}

qint64 byte_source::read_raw(char* out, qint64 max)
{
    const qint64 n = file_.read(out, max);
    if (n < 0)
        throw loader_read_failed(QStringLiteral("Can't read file: ") + file_.errorString());
    return n;
}

qint64 byte_source::read(char* out, qint64 max)
{
    if (memory_) {
        const qint64 n = std::min<qint64>(max, memory_->size() - memory_read_);
        std::memcpy(out, memory_->constData() + memory_read_, static_cast<std::size_t>(n));
        memory_read_ += n;
        return n;
    }
    if (ahead_)
        return ahead_->read(out, max);
    if (!compressed())
        return read_raw(out, max);
    // A look at the first bytes reads once; a reader goes on, and the unpacking moves to a thread.
    if (++reads_ < 2)
        return unpack(out, max);
    size_ = size();
    ahead_ = std::make_unique<read_ahead>([this](char* to, qint64 most) { return unpack(to, most); },
                                          [this] { return archive_ ? archive_->read : file_.pos(); });
    return ahead_->read(out, max);
}

qint64 byte_source::unpack(char* out, qint64 max)
{
    if (archive_) {
        const zip_int64_t n = zip_fread(archive_->entry, out, static_cast<zip_uint64_t>(max));
        if (n < 0)
            throw loader_read_failed(zip_reason(zip_file_get_error(archive_->entry)));
        archive_->read += n;
        return n;
    }
    return inflate_into(out, max);
}

qint64 byte_source::inflate_into(char* out, qint64 max)
{
    inflater& in = *inflater_;
    if (!in.slow) {
        const qint64 n = inflate_fast(out, max);
        if (n >= 0) {
            in.delivered += n;
            return n;
        }
        // zlib reads the whole stream again and tells what is wrong with it, if anything.
        if (!file_.seek(0))
            throw loader_read_failed(QStringLiteral("Can't read file: ") + file_.errorString());
        in.slow = true;
        in.to_skip = in.delivered;
        in.input_end = in.member_ended = in.padded = false;
        in.stream.avail_in = 0;
        inflateReset(&in.stream);
    }
    while (in.to_skip > 0) {
        const qint64 n = inflate_slow(out, std::min(max, in.to_skip));
        if (n == 0)
            return 0;
        in.to_skip -= n;
    }
    return inflate_slow(out, max);
}

// Takes the next input chunk when the decoder has used up the last one; false at the end of the file.
bool byte_source::refill(unsigned char*& next, unsigned int& avail)
{
    inflater& in = *inflater_;
    if (avail == 0 && !in.input_end) {
        const qint64 n = read_raw(reinterpret_cast<char*>(in.input.data()), static_cast<qint64>(in.input.size()));
        in.input_end = n == 0;
        next = in.input.data();
        avail = static_cast<uInt>(n);
    }
    return avail > 0;
}

// Zero bytes after a member are padding (a tape or block writer's), as gzip -t takes them. Returns
// false when a byte other than zero follows padding.
bool byte_source::skip_padding(unsigned char*& next, unsigned int& avail)
{
    inflater& in = *inflater_;
    while (in.member_ended && avail > 0 && *next == 0) {
        ++next;
        --avail;
        in.padded = true;
    }
    return !in.padded || avail == 0;
}

qint64 byte_source::inflate_fast(char* out, qint64 max)
{
    inflater& in = *inflater_;
    inflate_state& s = in.fast;
    s.next_out = reinterpret_cast<uint8_t*>(out);
    s.avail_out = static_cast<uint32_t>(max);
    while (s.avail_out == static_cast<uint32_t>(max)) {
        const bool more = refill(s.next_in, s.avail_in);
        if (!more && in.member_ended)
            return 0;
        if (more && !skip_padding(s.next_in, s.avail_in))
            return -1;
        if (more && s.avail_in == 0)
            continue;
        if (more && in.member_ended) { // another gzip member follows
            uint8_t* next = s.next_in;
            const uint32_t avail = s.avail_in;
            isal_inflate_reset(&s);
            s.crc_flag = ISAL_GZIP;
            s.next_in = next;
            s.avail_in = avail;
            in.member_ended = false;
        }
        // Without more input the decoder may still hold the end of the member: it is asked once more.
        const uint32_t avail_in = s.avail_in;
        if (isal_inflate(&s) < 0 || (s.avail_in == avail_in && s.avail_out == static_cast<uint32_t>(max) &&
                                     s.block_state != ISAL_BLOCK_FINISH))
            return -1; // damaged, or no progress at all
        in.member_ended = s.block_state == ISAL_BLOCK_FINISH;
    }
    return max - static_cast<qint64>(s.avail_out);
}

qint64 byte_source::inflate_slow(char* out, qint64 max)
{
    inflater& in = *inflater_;
    z_stream& z = in.stream;
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = static_cast<uInt>(max);
    while (z.avail_out == static_cast<uInt>(max)) {
        if (!refill(z.next_in, z.avail_in)) {
            if (in.member_ended)
                return 0;
            throw loader_read_failed(
                QStringLiteral("Can't read file: the compressed data ends early (truncated download?)"));
        }
        if (!skip_padding(z.next_in, z.avail_in))
            throw loader_read_failed(QStringLiteral(
                "Can't read file: the compressed data is damaged (bytes after the zero padding)"));
        if (z.avail_in == 0)
            continue;
        if (in.member_ended) {
            // Another gzip member follows (concatenated archives read as one stream).
            inflateReset(&z);
            in.member_ended = false;
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            in.member_ended = true;
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            throw loader_read_failed(QStringLiteral("Can't read file: the compressed data is damaged (%1)")
                                         .arg(QString::fromLatin1(z.msg ? z.msg : "unknown error")));
        }
    }
    return max - static_cast<qint64>(z.avail_out);
}
