#include "data/formats/eobs_file_kind.h"

#include "data/io/loader_cancelled.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/trace.h"
#include "data/io/zip_directory.h"
#include "data/io/zip_entry_path.h"

namespace {

// Cancelled from the start: a reader that accepts the header stops before the first data line.
class header_probe : public loader_progress
{
public:
    bool loader_progress_cancelled() override { return true; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

template <typename Reader> bool accepts(const QString& file_name)
{
    header_probe probe;
    try {
        Reader reader(file_name, &probe);
    } catch (const loader_cancelled&) {
        return true;
    } catch (const loader_wrong_header&) {
        return false;
    } catch (const loader_read_failed&) {
        return false;
    }
    return true;
}

} // namespace

eobs_file_kind::kind eobs_file_kind::of(const QString& file_name)
{
    if (!zip_entry_path::exists(file_name))
        return neither;
    return fixed_kind(file_name);
}

eobs_file_kind::kind eobs_file_kind::fixed_kind(const QString& file_name)
{
    trace::err("header check of ", file_name);
    if (accepts<loader_eobsmb>(file_name) || accepts<loader_mbd>(file_name))
        return acceleration;
    if (accepts<loader_gps_eobsmb>(file_name) || accepts<loader_gps_mbd>(file_name))
        return gps;
    return neither;
}

eobs_file_kind::readings eobs_file_kind::of_head(const QString& entry_path, const QByteArray& head)
{
    const zip_directory::serving served(entry_path, head);
    const kind fixed = fixed_kind(entry_path);
    if (fixed != neither)
        return {fixed == acceleration, fixed == gps};
    return {accepts<loader_named_acc>(entry_path), accepts<loader_named_gps>(entry_path)};
}

bool eobs_file_kind::reads_as(const QString& file_name, kind sensor)
{
    const kind fixed = of(file_name);
    if (fixed != neither)
        return fixed == sensor;
    if (!zip_entry_path::exists(file_name))
        return false;
    if (sensor == acceleration)
        return accepts<loader_named_acc>(file_name);
    return sensor == gps && accepts<loader_named_gps>(file_name);
}
