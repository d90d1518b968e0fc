#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class burst_space;

// The burst to show for time t (ms since the epoch): the burst whose samples span t; before the
// first burst the first, after the last the last; in a gap between two bursts the one nearer in
// time (the earlier on a tie). -1 for a space without bursts.
qint32 burst_at_time(const burst_space& space, qint64 t);

// A UTC time typed as "yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd hh:mm" or
// "yyyy-MM-dd" (surrounding blanks ignored); none when the text is none of these.
std::optional<qint64> parse_utc_time(const QString& text);
