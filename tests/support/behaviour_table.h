#pragma once
// Feature tables of known behaviours: "rest" has low values of both signal features, "walk" a high
// first, "fly" a high second; a third feature is noise. Rows cycle through the behaviours and animals.

#include "data/classify/feature_table.h"

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
