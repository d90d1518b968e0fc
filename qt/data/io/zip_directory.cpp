#include "data/io/zip_directory.h"

#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <algorithm>
#include <cstring>

void zip_directory::closer::operator()(zip* z) const
{
    zip_discard(z);
}

zip_directory::zip_directory(const QString& file_name) : archive(is_archive(file_name))
{
    if (!archive)
        return;
    int code = 0;
    zip_.reset(zip_open(QFile::encodeName(file_name).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip_)
        return;
    const zip_int64_t count = zip_get_num_entries(zip_.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(zip_.get(), static_cast<zip_uint64_t>(i), 0));
        if (escapes(name)) {
            if (escaping.isEmpty())
                escaping = name;
        } else if (is_data_entry(name)) {
            entries << file_name + QLatin1Char('/') + name;
            index_.push_back(i);
        }
    }
}

zip_directory::~zip_directory() = default;

QByteArray zip_directory::head(int i)
{
    const auto index = static_cast<zip_uint64_t>(index_[static_cast<std::size_t>(i)]);
    zip_stat_t stat;
    if (zip_stat_index(zip_.get(), index, 0, &stat) != 0 ||
        ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE))
        return QByteArray();
    zip_file_t* entry = zip_fopen_index(zip_.get(), index, 0);
    if (!entry)
        return QByteArray();
    QByteArray head;
    code_unit unit;
    int line_end = -1;
    while (head.size() < head_limit && line_end < 0) {
        const int old = head.size();
        head.resize(std::min(old + 4096, head_limit));
        const zip_int64_t n = zip_fread(entry, head.data() + old, static_cast<zip_uint64_t>(head.size() - old));
        head.resize(old + static_cast<int>(std::max<zip_int64_t>(n, 0)));
        if (n <= 0)
            break;
        if (old == 0)
            unit = code_unit::of(head);
        line_end = unit.line_end(head, old);
    }
    zip_fclose(entry);
    return head;
}

zip_directory::code_unit zip_directory::code_unit::of(const QByteArray& text)
{
    // The marks QTextCodec::codecForUtfText knows, UTF-32 before UTF-16.
    if (text.startsWith(QByteArray("\xFF\xFE\0\0", 4)))
        return {4, false};
    if (text.startsWith(QByteArray("\0\0\xFE\xFF", 4)))
        return {4, true};
    if (text.startsWith("\xFF\xFE"))
        return {2, false};
    if (text.startsWith("\xFE\xFF"))
        return {2, true};
    return {};
}

int zip_directory::code_unit::line_end(const QByteArray& text, int from) const
{
    if (bytes == 1) {
        const int nl = text.indexOf('\n', from);
        return nl < 0 ? -1 : nl + 1;
    }
    const QByteArray newline = big_endian ? QByteArray(bytes - 1, '\0') + '\n' : '\n' + QByteArray(bytes - 1, '\0');
    for (int at = from - from % bytes; at + bytes <= text.size(); at += bytes) {
        if (std::memcmp(text.constData() + at, newline.constData(), static_cast<std::size_t>(bytes)) == 0)
            return at + bytes;
    }
    return -1;
}

bool zip_directory::escapes(const QString& name)
{
    return name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           (name.size() >= 2 && name[1] == QLatin1Char(':')) ||
           name.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

bool zip_directory::is_data_entry(const QString& name)
{
    return name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

bool zip_directory::is_archive(const QString& file_name)
{
    QFile file(file_name);
    char magic[4];
    return QFileInfo(file_name).isFile() && file.open(QIODevice::ReadOnly) && file.read(magic, 4) == 4 &&
           std::memcmp(magic, "PK\x03\x04", 4) == 0;
}
