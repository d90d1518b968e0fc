#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

class QIODevice;

// Minutes per behaviour per day. Each burst stands for the time until the animal's next burst,
// but at most the usual spacing of its bursts (the median), so a gap in recording counts as
// no behaviour; the last burst stands for the usual spacing. Time crossing midnight is split.
class time_budget
{
public:
    struct day
    {
        QDate date;                  // on the clock utc_offset ms ahead of UTC
        std::vector<double> minutes; // per class, then one more: bursts without a class
    };

    QString animal;
    QStringList classes;
    std::vector<day> days; // in date order, only days with bursts

    // starts: ms UTC of each burst of one animal, in time order; classes: per burst an index into
    // class_names or -1.
    static time_budget compute(const std::vector<qint64>& starts, const std::vector<int>& classes,
                               const QStringList& class_names, qint64 utc_offset_ms = 0);

    // "animal,day,<class>...,unclassified" then a line per animal and day of minutes with one decimal;
    // the budgets share their classes. False with the device's error text when a write fails.
    static bool write_csv(const std::vector<time_budget>& budgets, QIODevice& out, QString* error);
};
