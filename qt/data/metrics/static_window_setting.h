#pragma once

#include "data/metrics/static_window.h"

#include <QObject>

// The static window in force for every figure the program shows (the burst view's, the map's, the
// classifier's): kept in the settings, and announced when set so that each computes its figures again.
class static_window_setting : public QObject
{
    Q_OBJECT

public:
    static static_window_setting& instance();

    static_window window() const;
    // Keeps window and tells every view.
    void set(const static_window& window);

signals:
    void changed();

private:
    static_window_setting() = default;
};
