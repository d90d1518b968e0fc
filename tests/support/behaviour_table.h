#pragma once
// Feature tables, acceleration files and labels files of known behaviours: "rest" has low values of both
// signal features, "walk" a high first, "fly" a high second; a third feature is noise. Rows cycle through the
// behaviours and animals.

#include "data/classify/feature_table.h"
#include "support/acc_layouts.h"

#include <QByteArrayList>
#include <QDateTime>

#include <cmath>

#include <random>

inline feature_table behaviour_table(int rows, int animals, quint32 seed, double noise = 0.1)
{
    feature_table t;
    t.features = QStringList{"odba", "dom_freq_z", "noise"};
    t.units = QStringList{"g", "Hz", ""};
    t.class_names = QStringList{"rest", "walk", "fly"};
    std::mt19937 random(seed);
    std::normal_distribution<double> jitter(0.0, noise);
    const double centres[3][2] = {{0.1, 0.5}, {1.0, 0.5}, {0.1, 3.0}};
    for (int r = 0; r < rows; ++r) {
        const int c = r % 3;
        t.add_row({centres[c][0] + jitter(random), centres[c][1] + jitter(random), jitter(random) * 10}, c,
                  QString("animal %1").arg(r / 3 % animals + 1));
    }
    return t;
}

inline const char* const behaviours[] = {"rest", "walk", "fly"};

// Bursts 10 minutes apart from 2014-05-02T00:00Z, 40 samples at 20 Hz: rest is still, walk sways at
// 2 Hz, fly beats at 6 Hz; behaviour b for bursts [10k, 10k + 10) with b = k % 3.
inline QByteArray behaviour_file(int bursts)
{
    QByteArray text = test_support::acc_fixed_header + "\n";
    const QDateTime t0(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < bursts; ++i) {
        const int b = i / 10 % 3;
        QByteArrayList raw;
        for (int s = 0; s < 40; ++s) {
            const double wobble = ((i * 7 + s * 13) % 11) - 5; // a little noise
            const double swing = b == 0   ? 0
                                 : b == 1 ? 80 * std::sin(2 * M_PI * 2 * s / 20.0)
                                          : 300 * std::sin(2 * M_PI * 6 * s / 20.0);
            for (double v : {2048 + swing + wobble, 2048 + wobble, 2560 + swing / 2})
                raw << QByteArray::number(qRound(v));
        }
        text +=
            test_support::acc_fixed_line(t0.addSecs(600 * i).toString("yyyy-MM-dd HH:mm:ss.zzz").toLatin1(),
                                         "20", "XYZ", raw.join(' ')) +
            "\n";
    }
    return text;
}

// Labels for the first `labelled` bursts, a segment per 10.
inline QByteArray labels_for(int labelled)
{
    QByteArray text = "animal,start_utc,end_utc,label,note\n";
    const QDateTime t0(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC);
    for (int k = 0; k * 10 < labelled; ++k)
        text += "," + t0.addSecs(6000 * k).toString(Qt::ISODateWithMs).toLatin1() + "," +
                t0.addSecs(6000 * (k + 1)).toString(Qt::ISODateWithMs).toLatin1() + "," + behaviours[k % 3] +
                ",\n";
    return text;
}
