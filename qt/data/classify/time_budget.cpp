#include "data/classify/time_budget.h"

#include "data/io/csv_text.h"
#include "data/model/activity_calculator.h"
#include "data/io/floor_div.h"

#include <QIODevice>

#include <algorithm>
#include <map>


time_budget time_budget::compute(const std::vector<qint64>& starts, const std::vector<int>& classes,
                                 const QStringList& class_names, qint64 utc_offset_ms)
{
    time_budget b;
    b.classes = class_names;
    const size_t n = starts.size();
    std::vector<qint64> gaps;
    for (size_t i = 1; i < n; ++i)
        if (starts[i] > starts[i - 1])
            gaps.push_back(starts[i] - starts[i - 1]);
    qint64 usual = 0;
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + ptrdiff_t(gaps.size() / 2), gaps.end());
        usual = gaps[gaps.size() / 2];
    }
    const size_t columns = size_t(class_names.size()) + 1;
    std::map<qint64, std::vector<double>> per_day;
    for (size_t i = 0; i < n; ++i) {
        const qint64 span = i + 1 < n ? std::min(starts[i + 1] - starts[i], usual) : usual;
        const size_t column =
            classes[i] >= 0 && classes[i] < class_names.size() ? size_t(classes[i]) : columns - 1;
        qint64 from = starts[i] + utc_offset_ms;
        const qint64 to = from + std::max<qint64>(span, 0);
        do {
            const qint64 d = floor_div(from, activity_day_ms);
            const qint64 end = std::min(to, (d + 1) * activity_day_ms);
            auto& minutes = per_day[d];
            minutes.resize(columns, 0.0);
            minutes[column] += double(end - from) / 60000.0;
            from = end;
        } while (from < to);
    }
    const QDate epoch(1970, 1, 1);
    for (auto& [d, minutes] : per_day)
        b.days.push_back(day{epoch.addDays(d), std::move(minutes)});
    return b;
}

bool time_budget::write_csv(const std::vector<time_budget>& budgets, QIODevice& out, QString* error)
{
    QByteArray text = "animal,day";
    for (const QString& c : budgets.empty() ? QStringList() : budgets.front().classes)
        text += ',' + csv_text_for_sheets(c);
    text += ",unclassified\n";
    for (const time_budget& b : budgets)
        for (const day& d : b.days) {
            text += csv_text_for_sheets(b.animal) + ',' + d.date.toString(Qt::ISODate).toLatin1();
            for (double m : d.minutes)
                text += ',' + QByteArray::number(m, 'f', 1);
            text += '\n';
        }
    if (out.write(text) != text.size()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
