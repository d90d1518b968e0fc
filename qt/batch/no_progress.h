#pragma once

#include "data/io/loader_progress.h"

// A batch run is never cancelled and shows no progress.
class no_progress : public loader_progress
{
public:
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};
