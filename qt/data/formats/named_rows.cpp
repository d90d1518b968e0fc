#include "data/formats/named_rows.h"

#include "data/formats/csv_field.h"
#include "data/formats/csv_record.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"

#include <string>

named_rows::named_rows(const byte_input& input, loader_progress* progress)
    : file_name_(input.name), owned_(std::make_unique<line_reader>(input, progress)), lines_(*owned_)
{
    const char* b;
    const char* e;
    lines_.header(b, e);
    take_header(b, e, progress);
}

named_rows::named_rows(line_reader& lines, const char* begin, const char* end, loader_progress* progress)
    : file_name_(lines.file_name()), lines_(lines)
{
    take_header(begin, end, progress);
}

void named_rows::take_header(const char* b, const char* e, loader_progress* progress)
{
    columns_ = std::make_unique<named_columns>(b, e);
    individual_ = columns_->find("individual_local_identifier");
    tag_ = columns_->find("tag_local_identifier");
    sensor_ = columns_->find("sensor_type");
    lines_.report_to(progress);
}

bool named_rows::next_of(const char* sensor, std::vector<field>& fields, loader_progress* progress)
{
    const std::size_t expected = columns_->size();
    while (!lines_.at_end()) {
        if (progress->loader_progress_cancelled())
            break;
        const char* b;
        const char* e;
        const line_reader::line got = lines_.next(b, e);
        ++line_count_;
        if (got == line_reader::line::cancelled)
            break;
        if (got != line_reader::line::ok) {
            if (skipped_.count())
                skipped_.add("skip line " + std::to_string(line_count_) + " " +
                             line_reader::unusable_text(got));
            continue;
        }
        fields.clear();
        csv_record::split(b, e, [&](std::size_t index, const char* fb, const char* fe) {
            fields.emplace_back(fb, fe);
            return index < expected;
        });
        if (fields.size() != expected) {
            if (skipped_.count())
                skipped_.add("skip line " + std::to_string(line_count_) + " with wrong number of fields " +
                             std::to_string(fields.size()));
            continue;
        }
        if (sensor_ < 0)
            return true;
        const field text = unquoted(fields, sensor_);
        if (csv_field::equals(text.first, text.second, sensor))
            return true;
    }
    skipped_.finish();
    return false;
}

named_rows::field named_rows::unquoted(field f)
{
    csv_field::unquote(f.first, f.second);
    return f;
}

qint64 named_rows::time_of(const std::vector<field>& fields, int column) const
{
    const field time = unquoted(fields, column);
    return csv_field::to_utc_msecs_iso(time.first, time.second, codec());
}

QByteArray named_rows::animal(const std::vector<field>& fields) const
{
    for (const int column : {individual_, tag_}) {
        if (column < 0)
            continue;
        const field f = fields[static_cast<std::size_t>(column)];
        QByteArray id = csv_record::text(f.first, f.second);
        if (!id.isEmpty())
            return id;
    }
    return QByteArray();
}

QString named_rows::tag(const std::vector<field>& fields) const
{
    if (tag_ < 0)
        return QString();
    const field f = fields[static_cast<std::size_t>(tag_)];
    return QString::fromUtf8(csv_record::text(f.first, f.second));
}

bool named_rows::names_both_sensors(const named_columns& c)
{
    return c.find("sensor_type") >= 0 && c.find("eobs_accelerations_raw") >= 0 &&
           c.find("location_long") >= 0 && c.find("location_lat") >= 0;
}

bool named_rows::names_both_sensors(const QString& file_name)
{
    if (!zip_entry_path::exists(file_name)) // a pipe or device could block the caller
        return false;
    try {
        return names_both_sensors(named_rows(file_name).columns());
    } catch (const loader_read_failed&) {
        return false;
    }
}
