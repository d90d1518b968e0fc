#include "data/metrics/burst_table_csv.h"

#include "data/io/csv_text.h"
#include "data/io/file_name_part.h"
#include "data/model/burst_space.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>

#include <cmath>

const char burst_table_header[] =
    "animal,tag,burst,start_utc,samples,frequency_hz,"
    "mean_x,sd_x,min_x,max_x,dom_freq_x,dom_amp_x,"
    "mean_y,sd_y,min_y,max_y,dom_freq_y,dom_amp_y,"
    "mean_z,sd_z,min_z,max_z,dom_freq_z,dom_amp_z,"
    "odba,vedba,pitch_deg,roll_deg,label\n";

namespace {

void number(QByteArray& line, double v)
{
    line += ',';
    line += std::isfinite(v) ? QByteArray::number(v + 0.0, 'g', 9) : QByteArray("NA"); // -0 written 0
}

} // namespace

QString burst_table_file_name(const QString& data_file, const QString& animal)
{
    return QFileInfo(data_file).completeBaseName() +
           (animal.isNull() ? QString() : QLatin1Char('-') + file_name_part(animal)) + QStringLiteral("-metrics.csv");
}

QString burst_table_units_line(const applied_calibration& calibration, const static_window& window)
{
    return QStringLiteral("# units=%1 %2 calibration=%3")
        .arg(calibration.units(), window.described(), calibration.source_name());
}

bool write_burst_table_csv(QIODevice& out, const QString& animal, const burst_space& space,
                           const std::vector<burst_metrics>& metrics, const applied_calibration& calibration,
                           const static_window& window, const burst_label_lookup& labels, QString* error,
                           const burst_table_columns& more)
{
    QByteArray text = burst_table_units_line(calibration, window).toUtf8() + '\n' + burst_table_header;
    if (!more.names.isEmpty())
        text.insert(text.size() - 1, more.names);
    const QByteArray who = csv_text_for_sheets(animal) + ',' + csv_text_for_sheets(calibration.tag) + ',';
    const qint32 count = std::min(space.entry_count(), qint32(metrics.size()));
    for (qint32 i = 0; i < count; ++i) {
        const burst_metrics& m = metrics[std::size_t(i)];
        const qint64 start = space.entry(i).burst->start_timestamp;
        text += who + QByteArray::number(i) + ',' +
                QDateTime::fromMSecsSinceEpoch(start, Qt::UTC)
                    .toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzzZ"))
                    .toLatin1() +
                ',' + QByteArray::number(m.samples);
        number(text, m.frequency_hz);
        for (const double v : m.figures())
            number(text, v);
        text += ',' + (labels ? csv_text_for_sheets(labels(animal, start)) : QByteArray());
        if (more.fields)
            text += more.fields(i);
        text += '\n';
        if (text.size() > (1 << 20)) {
            if (out.write(text) != text.size()) {
                if (error)
                    *error = out.errorString();
                return false;
            }
            text.clear();
        }
    }
    if (!text.isEmpty() && out.write(text) != text.size()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
