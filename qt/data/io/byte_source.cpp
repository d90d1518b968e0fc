#include "data/io/byte_source.h"

#include "data/io/loader_read_failed.h"
#include "data/io/zip_directory.h"
#include "data/io/zip_entry_path.h"

#include <QDir>
#include <QFileInfo>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
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
    bool padded = false;       // zero bytes followed the last member
    ~inflater() { inflateEnd(&stream); }
};

struct byte_source::archive
{
    zip_t* zip = nullptr;
    zip_file_t* entry = nullptr;
    const QByteArray* head = nullptr; // an entry's head served in place of the entry (no zip, no entry)
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

byte_source::byte_source(const QString& file_name) : name_(file_name), file_(file_name)
{
    if (const QByteArray* head = zip_directory::serving::of(file_name)) {
        archive_ = std::make_unique<archive>();
        archive_->head = head;
        archive_->size = head->size();
        return;
    }
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
    if (archive_)
        return archive_->size;
    return file_.isSequential() ? 0 : file_.size();
}

bool byte_source::compressed() const
{
    return inflater_ || (archive_ && !archive_->head);
}

qint64 byte_source::position() const
{
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
    if (archive_ && archive_->head) {
        const qint64 n = std::min(max, archive_->size - archive_->read);
        std::memcpy(out, archive_->head->constData() + archive_->read, static_cast<std::size_t>(n));
        archive_->read += n;
        return n;
    }
    if (archive_) {
        const zip_int64_t n = zip_fread(archive_->entry, out, static_cast<zip_uint64_t>(max));
        if (n < 0)
            throw loader_read_failed(zip_reason(zip_file_get_error(archive_->entry)));
        archive_->read += n;
        return n;
    }
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
        // Zero bytes after a member are padding (a tape or block writer's), as gzip -t takes them.
        while (inflater_->member_ended && z.avail_in > 0 && *z.next_in == 0) {
            ++z.next_in;
            --z.avail_in;
            inflater_->padded = true;
        }
        if (inflater_->padded && z.avail_in == 0)
            continue;
        if (inflater_->padded)
            throw loader_read_failed(QStringLiteral(
                "Can't read file: the compressed data is damaged (bytes after the zero padding)"));
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
