#include "data/formats/start_time_repair.h"

bool start_time_repair::take(qint64& msecs)
{
    if (usable(msecs)) {
        if (!seen_)
            first_ = msecs;
        seen_ = true;
        last_ = msecs;
        return true;
    }
    ++replaced_;
    msecs = last_;
    return seen_;
}
