#include "data/labels/labels_file.h"

#include "data/io/checked_commit.h"
#include "data/io/csv_text.h"
#include "data/io/sidecar_file.h"
#include "data/labels/covered_time.h"
#include "data/io/zip_entry_path.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <algorithm>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("labels_file", text);
}

const QStringList columns = {QStringLiteral("animal"), QStringLiteral("start_utc"), QStringLiteral("end_utc"),
                             QStringLiteral("label"), QStringLiteral("note")};
// Broken lines named one by one; the rest are counted.
constexpr int named_broken_lines = 20;

struct record
{
    qint32 line = 0; // 1-based line the record starts on
    QStringList fields;
    bool unterminated = false;
    bool too_long = false; // a field passed labels_file::max_field_chars; its rest was not kept
};

// A row read, to be painted over the earlier ones it overlaps.
struct row
{
    qint64 start_ms;
    qint64 end_ms;
    QString label;
    QString note;
};

// CSV records of RFC 4180: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<record> records_of(const QString& text)
{
    std::vector<record> out;
    record current;
    QString field;
    bool quoted = false;
    bool field_started = false;
    qint32 line = 1;
    current.line = 1;
    auto add = [&](QChar c) {
        if (field.size() < labels_file::max_field_chars)
            field += c;
        else
            current.too_long = true;
    };
    auto end_record = [&] {
        if (field_started || !current.fields.isEmpty() || !field.isEmpty())
            current.fields << field;
        if (!current.fields.isEmpty() &&
            !(current.fields.size() == 1 && current.fields[0].trimmed().isEmpty()))
            out.push_back(current);
        current = record();
        current.line = line;
        field.clear();
        field_started = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    add(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                add(c);
            }
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
            quoted = true;
            field_started = true;
            field.clear();
        } else if (c == QLatin1Char(',')) {
            current.fields << field;
            field.clear();
            field_started = true;
        } else if (c == QLatin1Char('\n')) {
            ++line;
            end_record();
        } else if (c != QLatin1Char('\r')) {
            add(c);
        }
    }
    end_record();
    if (quoted && !out.empty())
        out.back().unterminated = true;
    return out;
}

} // namespace

QString labels_file::path_for(const QString& data_path)
{
    QString archive;
    QString entry;
    QString folder;
    QString name;
    if (zip_entry_path::split(data_path, &archive, &entry)) {
        folder = QFileInfo(archive).absolutePath();
        name = QFileInfo(entry).fileName();
    } else {
        folder = QFileInfo(data_path).absolutePath();
        name = QFileInfo(data_path).fileName();
    }
    if (name.endsWith(QStringLiteral(".gz"), Qt::CaseInsensitive))
        name.chop(3);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return QDir(folder).filePath(name + QStringLiteral(".labels.csv"));
}

QString labels_file::format_time(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
}

std::optional<qint64> labels_file::parse_time(const QString& text)
{
    QString t = text.trimmed();
    if (t.size() > 10 && t[10] == QLatin1Char(' '))
        t[10] = QLatin1Char('T');
    QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid())
        return std::nullopt;
    if (dt.timeSpec() == Qt::LocalTime)
        dt.setTimeSpec(Qt::UTC);
    return dt.toMSecsSinceEpoch();
}

labels_file::result labels_file::read(const QString& path)
{
    result r;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.exists())
        return r;
    // Checked before open(): a FIFO would block it, and a huge file would read as empty past 2 GiB.
    const QString refusal = sidecar_refusal(path, max_bytes, tr("a labels file"));
    if (!refusal.isEmpty()) {
        r.failure = tr("The labels file %1 cannot be read: it %2.").arg(shown, refusal);
        return r;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        r.failure = tr("The labels file %1 cannot be read: %2.").arg(shown, file.errorString());
        return r;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        r.failure = tr("The labels file %1 cannot be read: %2.").arg(shown, file.errorString());
        return r;
    }
    r.stamp = file_stamp::of_bytes(path, bytes);
    QTextCodec::ConverterState state;
    QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0) {
        r.failure = tr("The labels file %1 cannot be read: it is not UTF-8 text.").arg(shown);
        return r;
    }
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    const std::vector<record> records = records_of(text);
    if (records.empty())
        return r;

    // Columns found by name, so that files made by hand may order them otherwise.
    int at[5] = {-1, -1, -1, -1, -1};
    const QStringList& header = records.front().fields;
    for (int i = 0; i < header.size(); ++i) {
        const int known = columns.indexOf(header[i].trimmed().toLower());
        if (known >= 0 && at[known] < 0)
            at[known] = i;
        else
            r.ignored_columns << header[i].trimmed();
    }
    if (at[1] < 0 || at[2] < 0 || at[3] < 0) {
        r.failure = tr("The labels file %1 cannot be read: its first line is not the header "
                       "animal,start_utc,end_utc,label,note.")
                        .arg(shown);
        r.ignored_columns.clear();
        return r;
    }
    if (!r.ignored_columns.isEmpty())
        r.warnings << tr("The labels file %1 has columns that are not read: %2.")
                          .arg(shown, r.ignored_columns.join(QStringLiteral(", ")));

    qint32 overlapping_rows = 0;
    qint32 first_overlap = 0;
    std::map<QString, std::vector<row>> rows; // per animal, in the file's order
    std::map<QString, covered_time> earlier;
    qint32 needed = 0;
    for (int c : {at[1], at[2], at[3]})
        needed = std::max(needed, c + 1);
    for (std::size_t i = 1; i < records.size(); ++i) {
        const record& rec = records[i];
        auto field = [&](int column) {
            return at[column] >= 0 ? rec.fields.value(at[column]).trimmed() : QString();
        };
        QString why;
        const std::optional<qint64> start = parse_time(field(1));
        const std::optional<qint64> end = parse_time(field(2));
        if (rec.unterminated)
            why = tr("a quoted field is not closed");
        else if (rec.too_long)
            why = tr("a field is longer than %1 characters").arg(max_field_chars);
        else if (rec.fields.size() < needed)
            why = tr("it has %1 fields, fewer than the header").arg(rec.fields.size());
        else if (rec.fields.size() > header.size())
            why = tr("it has %1 fields, more than the header").arg(rec.fields.size());
        else if (!start)
            why = tr("the start \"%1\" is not an ISO 8601 time").arg(field(1));
        else if (!end)
            why = tr("the end \"%1\" is not an ISO 8601 time").arg(field(2));
        else if (*end <= *start)
            why = tr("the end is not after the start");
        else if (field(3).isEmpty())
            why = tr("it has no label");
        if (!why.isEmpty()) {
            if (++r.skipped_lines <= named_broken_lines)
                r.warnings
                    << tr("The labels file %1: line %2 is skipped: %3.").arg(shown).arg(rec.line).arg(why);
            continue;
        }
        const QString animal = field(0);
        const QString label = field(3);
        const auto gaps = earlier[animal].cover(*start, *end);
        if (!(gaps.size() == 1 && gaps[0] == std::make_pair(*start, *end)) && ++overlapping_rows == 1)
            first_overlap = rec.line;
        rows[animal].push_back({*start, *end, label, at[4] >= 0 ? rec.fields.value(at[4]) : QString()});
        if (!r.labels.contains(label))
            r.labels << label;
    }
    // The later row wins where rows overlap: painted newest first, each row keeps only the time no
    // later row took; the pieces then go in in time order, each appended, so any order of rows takes
    // n log n.
    for (auto& [animal, of_animal] : rows) {
        covered_time later;
        std::vector<std::pair<std::size_t, std::pair<qint64, qint64>>> pieces;
        for (std::size_t i = of_animal.size(); i-- > 0;)
            for (const auto& gap : later.cover(of_animal[i].start_ms, of_animal[i].end_ms))
                pieces.push_back({i, gap});
        std::sort(pieces.begin(), pieces.end(),
                  [](const auto& a, const auto& b) { return a.second.first < b.second.first; });
        for (const auto& [i, span] : pieces)
            r.segments.set_range(animal, span.first, span.second, of_animal[i].label, of_animal[i].note);
    }
    if (r.skipped_lines > named_broken_lines)
        r.warnings << tr("The labels file %1: %2 more broken lines are skipped.")
                          .arg(shown)
                          .arg(r.skipped_lines - named_broken_lines);
    if (overlapping_rows > 0)
        r.warnings << tr("The labels file %1: %2 row(s) overlap earlier rows, the first on line %3; "
                         "where they overlap, the later row wins.")
                          .arg(shown)
                          .arg(overlapping_rows)
                          .arg(first_overlap);
    return r;
}

QByteArray labels_file::to_csv(const label_segments& segments)
{
    QString text = columns.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const label_segment& s : segments.all())
        text += csv_quoted(s.animal) + QLatin1Char(',') + format_time(s.start_ms) + QLatin1Char(',') +
                format_time(s.end_ms) + QLatin1Char(',') + csv_quoted(s.label) + QLatin1Char(',') +
                csv_quoted(s.note) + QLatin1Char('\n');
    return text.toUtf8();
}

QString labels_file::write_unless_changed(const QString& path, const label_segments& segments,
                                          file_stamp* expected, bool* changed)
{
    *changed = !expected->still_at(path);
    if (*changed)
        return QString();
    const QByteArray bytes = to_csv(segments);
    const QString reason = checked_save(path, bytes);
    if (!reason.isEmpty())
        return tr("The labels file %1 cannot be written: %2.").arg(QDir::toNativeSeparators(path), reason);
    *expected = file_stamp::of_bytes(path, bytes);
    return QString();
}

QString labels_file::write(const QString& path, const label_segments& segments)
{
    const QString reason = checked_save(path, to_csv(segments));
    if (!reason.isEmpty())
        return tr("The labels file %1 cannot be written: %2.").arg(QDir::toNativeSeparators(path), reason);
    return QString();
}
