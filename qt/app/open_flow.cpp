#include "app/open_flow.h"

#include "app/pair_files_dialog.h"
#include "data/formats/eobs_file_refusal.h"
#include "data/io/byte_source.h"
#include "data/io/loader_read_failed.h"
#include "data/io/trace.h"
#include "data/io/zip_directory.h"
#include "data/io/zip_entry_path.h"
#include "data/load/eobs_loader.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/load/file_sniff.h"
#include "data/load/load_job.h"
#include "data/model/animal_pairing.h"
#include "data/model/geo_box.h"
#include "widgets/modal_work.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QThreadPool>

#include <optional>
#include <map>
#include <utility>

namespace {

const char* const last_folder_key = "files/last_folder";

// Runs job on the global pool behind the modal "Loading" dialog until it reports finished() or the
// user cancels (reaching cancel). The dialog shows the job's text and, once reported, the percentage
// of the file read.
void run_with_progress(load_job* job, QWidget* dialog_parent, open_flow* flow)
{
    QProgressDialog dialog(dialog_parent);
    dialog.setWindowTitle(open_flow::tr("Loading"));
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    QObject::connect(job, &load_job::finished, &dialog, &QProgressDialog::reset, Qt::QueuedConnection);
    QObject::connect(&dialog, &QProgressDialog::canceled, flow, &open_flow::cancel);
    QObject::connect(job, &load_job::text_changed, &dialog, &QProgressDialog::setLabelText,
                     Qt::QueuedConnection);
    // Busy until the first percentage arrives (a pipe has no size, so it stays busy).
    QObject::connect(
        job, &load_job::percent_read, &dialog,
        [&dialog](int percent) {
            dialog.setRange(0, 100);
            dialog.setValue(percent);
        },
        Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(job, 0);
    dialog.exec();
}

// The sniff of path; an archive's entries are sorted out on a pool thread behind the modal "Loading"
// dialog, whose Cancel stops the sorting: empty then, the archive closed again.
std::optional<file_sniff> sniffed(const QString& path, bool logged, QWidget* dialog_parent)
{
    if (!zip_directory::is_archive(path))
        return file_sniff::of(path, logged);
    file_sniff sniff;
    const bool finished = modal_work::run(
        dialog_parent, open_flow::tr("Loading"),
        open_flow::tr("sorting out the archive's files...") + "\n" + QFileInfo(path).fileName(),
        [&](const modal_work::step& step) {
            sniff = file_sniff::of(path, logged, [&step](int done, int total) { return step(done, total); });
        });
    if (!finished || sniff.package.cancelled) {
        trace::out("sorting out cancelled: ", path);
        return std::nullopt;
    }
    return sniff;
}

QString does_not_exist(const QString& path)
{
    return open_flow::tr("%1 does not exist.\nCheck the file's name and folder, then open it again.")
        .arg(open_flow::quoted(path));
}

} // namespace

const char* const open_flow::file_filters = "E-OBS exports (*.csv *.txt *.zip *.gz);;All files (*)";

open_flow::open_flow(QWidget* window, open_request::intent intent)
    : window_(window), intent_(intent), cancel_requested_(std::make_shared<std::atomic_bool>(false))
{
}

open_flow::~open_flow() = default;

QString open_flow::quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

void open_flow::warn(QWidget* parent, const QString& reason)
{
    QMessageBox box(QMessageBox::Warning, tr("Open failed"), reason, QMessageBox::Ok, parent);
    // File names are shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void open_flow::open_failed(const QString& reason)
{
    warn(window_, reason);
}

QString open_flow::chain_failure(const QString& kind, const QString& file, bool read_failed,
                                 const QString& reason, const QString& again, const QString& advice)
{
    if (read_failed)
        return tr("The %1 file %2 could not be read: %3\nCheck that it is a readable file, then open %4.")
            .arg(kind, quoted(file), reason, again);
    const QString refusal =
        eobs_file_refusal::reason(file, kind == "GPS" ? header_sniff::gps : header_sniff::acceleration);
    if (!refusal.isEmpty())
        return quoted(file) + " " + refusal + ".";
    return tr("The %1 file %2 is not an E-OBS %1 export: its first line is in neither %1 layout.\n%3")
        .arg(kind, quoted(file), advice);
}

void open_flow::open_each(const open_request& request, QWidget* window,
                          const std::function<open_flow*(open_request::intent)>& start)
{
    if (request.want != open_request::whatever) {
        for (const QString& path : request.files)
            start(request.want)->open_path(path);
        return;
    }
    QStringList absolute;
    for (const QString& given : request.files)
        absolute << QFileInfo(given).absoluteFilePath();
    // Each file is sniffed once, when its turn comes or when a GPS file asks after it as its partner.
    // A cancelled sorting out is remembered as no sniff: that file is passed over.
    std::map<QString, std::optional<file_sniff>> sniffs;
    const auto sniff_of = [&sniffs, window](const QString& path) -> const std::optional<file_sniff>& {
        auto found = sniffs.find(path);
        if (found == sniffs.end())
            found = sniffs.emplace(path, sniffed(path, true, window)).first;
        return found->second;
    };
    for (const QString& path : absolute) {
        trace::out("open file: ", path);
        if (!zip_entry_path::exists(path)) {
            // Reports the missing file, or refuses a directory, device or pipe unread, and ends.
            start(open_request::acceleration)->open_path(path);
            continue;
        }
        if (!sniff_of(path))
            continue;
        const file_sniff& sniff = *sniff_of(path);
        if (!sniff.package.refusal.isEmpty()) {
            warn(window, sniff.package.refusal);
            continue;
        }
        if (sniff.package_pair()) {
            start(open_request::pair)->open_path(path, &sniff);
            continue;
        }
        const bool acc = sniff.header.reads_as(header_sniff::acceleration);
        const bool gps = sniff.header.reads_as(header_sniff::gps);
        if (acc) {
            // A download with both sensors' rows is a pair of its own.
            const bool pair = gps || !eobs_guess_acc_gps_filenames::existing_gps_partner(path).isEmpty();
            start(pair ? open_request::pair : open_request::acceleration)->open_path(path, &sniff);
        } else if (gps) {
            // Given together with its acceleration partner, it opens once, with that pair.
            const QString partner = eobs_guess_acc_gps_filenames(path).acc_filename;
            if (!partner.isEmpty() && partner != path && absolute.contains(partner) && sniff_of(partner) &&
                sniff_of(partner)->header.reads_as(header_sniff::acceleration))
                continue;
            start(open_request::gps)->open_path(path, &sniff);
        } else {
            warn(window, tr("%1 is neither an E-OBS acceleration export nor an E-OBS GPS export.\nOpen an "
                            "export (.csv or .txt) as it came from the tag's download.")
                             .arg(quoted(path)));
        }
    }
}

void open_flow::choose_file()
{
    QSettings settings;
    QString folder = settings.value(last_folder_key).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder =
            QStandardPaths::locate(QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory);
    const QString caption =
        intent_ == open_request::gps ? tr("Open GPS File") : tr("Open Acceleration Data File");
    const QString path = QFileDialog::getOpenFileName(window_, caption, folder, tr(file_filters));
    trace::out("filename: ", path);
    if (path.isEmpty()) {
        deleteLater();
        return;
    }
    settings.setValue(last_folder_key, QFileInfo(path).absolutePath());
    if (intent_ != open_request::pair || !QFileInfo::exists(path)) {
        open_path(path);
    } else if (const std::optional<file_sniff> sniff = sniffed(path, false, window_)) {
        choose_partner(*sniff);
    } else {
        deleteLater();
    }
}

void open_flow::choose_partner(const file_sniff& sniff)
{
    // A download with both sensors, a package or a file in neither layout finds its partner by name;
    // an acceleration or a GPS export is paired in the dialog, starting from its partner by name.
    const header_sniff& header = sniff.header;
    const bool acc = header.reads_as(header_sniff::acceleration);
    const bool gps = header.reads_as(header_sniff::gps);
    if (sniff.package.several() || header.both_sensors || acc == gps) {
        plan_load(sniff);
        return;
    }
    pair_files_dialog dialog(acc ? sniff.path : pair_files_dialog::named_acc_partner(sniff.path),
                             acc ? pair_files_dialog::named_partner(sniff.path) : sniff.path, gps,
                             tr(file_filters), window_);
    if (dialog.exec() != QDialog::Accepted) {
        deleteLater();
        return;
    }
    // Without a GPS file of the user's choice, the name rule pairs and says what is missing.
    if (dialog.gps_file().isEmpty()) {
        open_path(dialog.acc_file(), dialog.acc_file() == sniff.path ? &sniff : nullptr);
        return;
    }
    load_plan plan;
    plan.acc_file = dialog.acc_file();
    plan.gps_file = dialog.gps_file();
    for (const QString& file : {plan.acc_file, plan.gps_file})
        if (!zip_entry_path::exists(file)) {
            open_failed(does_not_exist(file));
            deleteLater();
            return;
        }
    if (plan.acc_file == sniff.path)
        plan.acc_sniff = header;
    if (plan.gps_file == sniff.path)
        plan.gps_sniff = header;
    start_load(std::move(plan));
}

void open_flow::open_path(const QString& path, const file_sniff* sniff)
{
    if (!QFileInfo::exists(path) && !zip_entry_path::exists(path)) {
        open_failed(does_not_exist(path));
        deleteLater();
        return;
    }
    if (sniff) {
        plan_load(*sniff);
    } else if (const std::optional<file_sniff> taken = sniffed(path, false, window_)) {
        plan_load(*taken);
    } else {
        deleteLater();
    }
}

void open_flow::plan_load(const file_sniff& sniff)
{
    load_plan plan;
    if (intent_ == open_request::pair) {
        plan_pair(sniff);
        return;
    }
    if (intent_ == open_request::gps) {
        plan.gps_file = sniff.path;
        if (sniff.header.exists)
            plan.gps_sniff = sniff.header;
    } else {
        // From a package of several files, its acceleration file; else the first, as from any archive.
        const bool entry = sniff.package.several() && !sniff.package.acc.isEmpty();
        plan.acc_file = entry ? sniff.package.acc : sniff.path;
        if (!entry && sniff.header.exists)
            plan.acc_sniff = sniff.header;
    }
    start_load(std::move(plan));
}

bool open_flow::plan_from_package(const file_sniff& sniff)
{
    const QString& path = sniff.path;
    const zip_package& package = sniff.package;
    if (package.several()) {
        if (package.acc.isEmpty() || package.gps.isEmpty()) {
            open_failed(tr("%1 holds %2 files, but no acceleration and GPS pair among them.\nA package pairs "
                           "files named like \"name-acc.csv\" and \"name-gps.csv\", or an acceleration "
                           "export and a GPS export.")
                            .arg(quoted(path))
                            .arg(package.entries.size()));
            deleteLater();
            return false;
        }
        load_plan plan;
        plan.acc_file = package.acc;
        plan.gps_file = package.gps;
        start_load(std::move(plan));
        return false;
    }
    if (package.archive && package.entries.isEmpty()) {
        // A damaged archive, or one without data files: reading it tells which.
        try {
            const byte_source probe(path);
        } catch (const loader_read_failed& failure) {
            open_failed(tr("The archive %1 could not be read: %2\nCheck that the download is complete, then "
                           "open it again.")
                            .arg(quoted(path), failure.reason()));
            deleteLater();
            return false;
        }
    }
    return true;
}

void open_flow::plan_pair(const file_sniff& sniff)
{
    const QString& path = sniff.path;
    if (!plan_from_package(sniff))
        return;
    const eobs_guess_acc_gps_filenames names(path);
    load_plan plan;
    plan.acc_file = names.acc_filename;
    plan.gps_file = names.gps_filename;
    // A download with both sensors' rows pairs with itself when it has no partner file.
    const bool self_pair = (plan.acc_file.isEmpty() || !zip_entry_path::exists(plan.acc_file) ||
                            !zip_entry_path::exists(plan.gps_file)) &&
                           sniff.header.both_sensors;
    if (self_pair) {
        plan.acc_file = path;
        plan.gps_file = path;
    }
    if (!self_pair && plan.acc_file.isEmpty()) {
        open_failed(
            tr("%1 is not named as one file of an acceleration and GPS pair.\nPair files are named "
               "like \"name_acc.txt\" and \"name_gps.txt\", or \"name-acc.csv\" and \"name-gps.csv\"; "
               "rename them so, or open the file alone with \"Open E-OBS Acceleration File\".")
                .arg(quoted(path)));
        deleteLater();
        return;
    }
    // A capitalised name ("UP_ACC.TXT") matches a pattern but keeps its text: no partner to load.
    if (!self_pair && plan.acc_file == plan.gps_file) {
        open_failed(tr("%1 has no partner file: its acceleration and GPS names would be the same. "
                       "Pairs are named \"..._acc.txt\" and \"..._gps.txt\" or \"...acc.csv\" and "
                       "\"...gps.csv\".")
                        .arg(quoted(path)));
        deleteLater();
        return;
    }
    const bool chose_acc = path == plan.acc_file;
    const QString partner = chose_acc ? plan.gps_file : plan.acc_file;
    if (!self_pair && !zip_entry_path::exists(partner)) {
        open_failed((chose_acc ? tr("The GPS file %1 that pairs with %2 does not exist.\nPut it in the same "
                                    "folder under this name, or open %2 alone with \"Open E-OBS "
                                    "Acceleration File\".")
                               : tr("The acceleration file %1 that pairs with %2 does not exist.\nPut it in "
                                    "the same folder under this name, then open the pair again."))
                        .arg(quoted(partner), quoted(path)));
        deleteLater();
        return;
    }
    if (sniff.header.exists) {
        if (plan.acc_file == path)
            plan.acc_sniff = sniff.header;
        if (plan.gps_file == path)
            plan.gps_sniff = sniff.header;
    }
    start_load(std::move(plan));
}

void open_flow::start_load(load_plan plan)
{
    plan_ = plan;
    auto* job = new load_job(std::move(plan), cancel_requested_);
    connect(job, &load_job::finished_with_result, this, &open_flow::finished_loading, Qt::QueuedConnection);
    // A lone acceleration file's dialog has always stood on its own.
    run_with_progress(job, plan_.gps_file.isEmpty() ? nullptr : window_, this);
}

void open_flow::cancel()
{
    trace_debug().nospace() << load_job::name_of(plan_) << "::cancel ";
    cancel_requested_->store(true);
}

void open_flow::finished_loading(load_result* result_ptr, bool was_canceled)
{
    if (plan_.pair())
        trace::err("load_eobs_acc_and_gps_finished");
    std::unique_ptr<load_result> result(result_ptr);
    deleteLater();
    acc_skipped_lines_ = result->acc_skipped_lines;
    gps_skipped_lines_ = result->gps_skipped_lines;
    if (was_canceled) {
        const QString what =
            plan_.pair() ? tr("The pair %1 and %2").arg(quoted(plan_.acc_file), quoted(plan_.gps_file))
                         : quoted(plan_.acc_file.isEmpty() ? plan_.gps_file : plan_.acc_file);
        open_failed(tr("Load cancelled.\n%1 was not opened.").arg(what));
        return;
    }
    if (plan_.pair())
        show_pair(*result);
    else if (result->acc)
        show_acc(*result);
    else
        show_gps(*result);
}

void open_flow::show_acc(load_result& result)
{
    eobs_acc_loader& acc = *result.acc;
    const QString& acc_file = plan_.acc_file;
    if (acc.status == ELS_READ_FAILED) {
        open_failed(chain_failure("acceleration", acc_file, true, acc.reason, tr("it again"), QString()));
        return;
    }
    const QString file = quoted(acc_file);
    if (acc.status != ELS_SUCCESS || !acc.space) {
        const header_sniff sniff = plan_.acc_sniff ? *plan_.acc_sniff : header_sniff::of_file(acc_file);
        if (sniff.reads_as(header_sniff::gps))
            open_failed(tr("%1 is a GPS export, not an acceleration export.\nOpen it with \"Open E-OBS "
                           "Acceleration and GPS Files\", which finds its acceleration file by name.")
                            .arg(file));
        else if (const QString refusal = eobs_file_refusal::reason(acc_file, header_sniff::acceleration);
                 !refusal.isEmpty())
            open_failed(file + " " + refusal + ".");
        else
            open_failed(tr("File format not recognized: %1 is not an E-OBS acceleration export.\nChoose an "
                           "acceleration export (.csv or .txt) as it came from the tag's download.")
                            .arg(file));
        return;
    }
    if (acc.more_animals.empty()) {
        hand_on({std::move(acc.space), nullptr, acc_file, QString(), QString()});
        return;
    }
    std::vector<animal_chooser_dialog::animal> rows;
    std::vector<loaded_data_set> animals;
    for (animal_bursts& a : acc.take_animals()) {
        rows.push_back({a.id, a.space->entry_count(), a.space->begin_timestamp(), a.space->end_timestamp()});
        animals.push_back({std::move(a.space), nullptr, acc_file, QString(), a.id});
    }
    hand_on_chosen(rows, animals);
}

void open_flow::show_gps(load_result& result)
{
    eobs_gps_loader& gps = *result.gps;
    if (gps.status != ELS_SUCCESS || !gps.space) {
        open_failed(chain_failure("GPS", plan_.gps_file, gps.status == ELS_READ_FAILED, gps.reason,
                                  tr("it again"), tr("Choose the GPS export of a tag.")));
        return;
    }
    // Several animals: a track each.
    const bool several = !gps.more_animals.empty();
    for (animal_events& a : gps.take_animals())
        hand_on({nullptr, std::move(a.space), QString(), plan_.gps_file, several ? a.id : QString()});
}

void open_flow::show_pair(load_result& result)
{
    eobs_acc_loader& acc = *result.acc;
    eobs_gps_loader& gps = *result.gps;
    const QString& acc_file = plan_.acc_file;
    const QString& gps_file = plan_.gps_file;
    // The GPS file is named first, as it was loaded first.
    if (!result.animals && (gps.status != ELS_SUCCESS || !gps.space)) {
        open_failed(chain_failure("GPS", gps_file, gps.status == ELS_READ_FAILED, gps.reason,
                                  tr("the pair again"),
                                  tr("Check that the pair's GPS file is the GPS export of the same tag.")));
        return;
    }
    if (!result.animals) {
        open_failed(chain_failure("acceleration", acc_file, acc.status == ELS_READ_FAILED, acc.reason,
                                  tr("the pair again"),
                                  tr("Check that the pair's acceleration file is the acceleration export of "
                                     "the same tag.")));
        return;
    }
    animal_pairing& animals = *result.animals;
    if (animals.acc_animal_count() > 1) {
        std::vector<animal_chooser_dialog::animal> rows;
        std::vector<loaded_data_set> sets;
        for (animal_pairing::animal& a : animals.animals()) {
            const std::pair<qint64, qint64> range = a.time_range();
            const qint32 fixes = a.fix_count();
            rows.push_back({a.id, a.bursts ? a.bursts->entry_count() : 0, range.first, range.second, fixes});
            sets.push_back(
                {std::move(a.bursts), fixes > 0 ? std::move(a.events) : nullptr, acc_file, gps_file, a.id});
        }
        hand_on_chosen(rows, sets);
        return;
    }
    animal_pairing::animal& only = animals.animals().front();
    if (!only.events) {
        const QString which =
            only.id.isEmpty()
                ? tr("%1 holds the fixes of %2 animals, and %3 names no animal to choose them by.")
                      .arg(quoted(gps_file))
                      .arg(animals.gps_animal_count())
                      .arg(quoted(acc_file))
                : tr("%1 holds the fixes of %2 animals, none of them %3, the animal of %4.")
                      .arg(quoted(gps_file))
                      .arg(animals.gps_animal_count())
                      .arg(only.id, quoted(acc_file));
        open_failed(which +
                    tr("\nOpen it with a GPS file of that one animal, or open %1 alone with \"Open E-OBS "
                       "Acceleration File\".")
                        .arg(quoted(acc_file)));
        return;
    }
    hand_on({std::move(only.bursts), std::move(only.events), acc_file, gps_file,
             animals.gps_animal_count() > 1 ? only.id : QString()});
}

void open_flow::hand_on_chosen(const std::vector<animal_chooser_dialog::animal>& rows,
                               std::vector<loaded_data_set>& animals)
{
    animal_chooser_dialog dialog(rows, plan_.acc_file, window_, plan_.gps_file);
    if (dialog.exec() != QDialog::Accepted)
        return;
    geo_box opened{1, 1, 0, 0};
    for (const int i : dialog.chosen()) {
        loaded_data_set& set = animals[static_cast<std::size_t>(i)];
        if (set.fixes)
            opened = opened.joined(set.fixes->bounds());
        hand_on(std::move(set));
    }
    // Each track framed itself; the map ends framed on all of them.
    if (!opened.empty())
        emit map_framed(opened);
}

void open_flow::hand_on(loaded_data_set set)
{
    // A file's skipped lines are told once, with the first of its data sets, not with every animal.
    set.acc_skipped_lines = set.bursts ? std::exchange(acc_skipped_lines_, 0) : 0;
    set.gps_skipped_lines = set.fixes ? std::exchange(gps_skipped_lines_, 0) : 0;
    emit data_set_loaded(&set);
}
