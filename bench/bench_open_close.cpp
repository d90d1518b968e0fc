// Opens an acceleration file through the real main window ten times and closes it again, as a user
// would: "Open E-OBS Acceleration File", the file dialog, the progress dialog, the burst window, then
// the window closed, its question answered with Close. Prints per round the time from accepting the
// file dialog (Return) to the shown and to the first painted burst window, where that time went (to
// the shown "Loading" dialog, the load until it hides, the window until it shows), the minor page
// faults, the resident memory's growth from before the open against the model's 12 bytes per sample,
// and the resident memory once the closed window and its data are gone and the event loop has run;
// then the median time to the shown window.
//   bench_open_close <acceleration file> [rounds, default 10]
#include "app/app_state.h"
#include "bench_support.h"
#include "app/burst_main_window.h"
#include "views/burst/burst_paint_panel.h"
#include "app/dornvalemainwindow.h"
#include "data/model/burst_space.h"
#include "support/gui_test_support.h"
#include "support/test_support.h"

#include <QApplication>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

using namespace bench_support;
using namespace gui_test_support;
using clock_type = std::chrono::steady_clock;

namespace {

double ms_between(clock_type::time_point a, clock_type::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The middle value (the mean of the middle two for an even count).
double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct round_figures
{
    double shown_ms = -1;   // accept of the file dialog to the burst window's show event
    double painted_ms = -1; // accept to the first paint of the burst view
    double dialog_ms = -1;  // accept to the shown "Loading" dialog
    double hidden_ms = -1;  // accept to the hidden "Loading" dialog (the load done)
    double before_mb = 0;   // resident memory just before the open
    double open_mb = 0;     // resident memory with the window open
    double model_mb = 0;    // the samples at 12 bytes each
    long faults = 0;        // minor page faults from accept to the shown window
    double closed_mb = 0;   // resident memory after the close, once the event loop has run
};

// Drives the rounds from the program's own event loop, one step per event, so that deferred
// deletes run exactly as they do for a user.
class driver : public QObject
{
public:
    driver(dornvalemainwindow& main_window, const QString& path, int rounds)
        : main_window_(main_window), path_(path), rounds_(rounds)
    {
        qApp->installEventFilter(this);
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, [this]() {
            std::fprintf(stderr, "bench_open_close: round %zu got stuck\n", figures.size() + 1);
            QCoreApplication::exit(1);
        });
        QTimer::singleShot(0, this, [this]() { open(); });
    }

    std::vector<round_figures> figures;
    double before_mb = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<burst_main_window*>(watched) && !window_) {
            window_ = static_cast<burst_main_window*>(watched);
            current_.shown_ms = ms_between(accepted_, clock_type::now());
            current_.faults = minor_faults() - faults_at_accept_;
        } else if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched) &&
                   current_.dialog_ms < 0) {
            current_.dialog_ms = ms_between(accepted_, clock_type::now());
        } else if (event->type() == QEvent::Hide && qobject_cast<QProgressDialog*>(watched) &&
                   current_.hidden_ms < 0) {
            current_.hidden_ms = ms_between(accepted_, clock_type::now());
        } else if (event->type() == QEvent::Paint && window_ && current_.painted_ms < 0 &&
                   qobject_cast<burst_paint_panel*>(watched) &&
                   window_->isAncestorOf(static_cast<QWidget*>(watched))) {
            current_.painted_ms = ms_between(accepted_, clock_type::now());
            // Let the window settle as a user would look at it, then close it.
            QTimer::singleShot(200, this, [this]() { close(); });
        }
        return false;
    }

private:
    static long minor_faults()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_minflt;
    }

    void open()
    {
        if (figures.empty())
            before_mb = kb_to_mb(status_kb("VmRSS:"));
        current_ = round_figures();
        current_.before_mb = kb_to_mb(status_kb("VmRSS:"));
        window_ = nullptr;
        script_ = std::make_unique<modal_script>();
        script_->then(choose_file(path_, [this]() {
            accepted_ = clock_type::now();
            faults_at_accept_ = minor_faults();
        }));
        watchdog_.start(120000);
        // Clicked from the event loop: the click's slot runs the file and progress dialogs modally.
        auto* button = main_window_.findChild<QPushButton*>("push_button_open_eobs_acc_file");
        QTimer::singleShot(0, button, &QPushButton::click);
    }

    void close()
    {
        current_.open_mb = kb_to_mb(status_kb("VmRSS:"));
        current_.model_mb = static_cast<double>(window_->panel()->space.total_sample_count()) * 12.0 / 1e6;
        connect(window_, &QObject::destroyed, this, [this]() {
            // The gang's data go with the window; give the loop a moment for anything else deferred.
            QTimer::singleShot(500, this, [this]() { measure_closed(); });
        });
        script_ = std::make_unique<modal_script>();
        script_->then(answer_message(QMessageBox::Close));
        QTimer::singleShot(0, window_, &QWidget::close);
    }

    void measure_closed()
    {
        current_.closed_mb = kb_to_mb(status_kb("VmRSS:"));
        figures.push_back(current_);
        const round_figures& f = figures.back();
        std::printf(
            "  round %2zu: shown %6.0f ms, painted %6.0f ms after accepting (dialog %3.0f, load %4.0f, "
            "window %3.0f ms; %6ld page faults); resident %6.1f MB open (%.3f x model), %6.1f MB "
            "after close\n",
            figures.size(), f.shown_ms, f.painted_ms, f.dialog_ms, f.hidden_ms - f.dialog_ms,
            f.shown_ms - f.hidden_ms, f.faults, f.open_mb, (f.open_mb - f.before_mb) / f.model_mb,
            f.closed_mb);
        std::fflush(stdout);
        watchdog_.stop();
        if (static_cast<int>(figures.size()) < rounds_)
            open();
        else
            QCoreApplication::quit();
    }

    dornvalemainwindow& main_window_;
    const QString path_;
    const int rounds_;
    std::unique_ptr<modal_script> script_;
    QPointer<burst_main_window> window_;
    clock_type::time_point accepted_;
    long faults_at_accept_ = 0;
    round_figures current_;
    QTimer watchdog_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bench_open_close <acceleration file> [rounds]\n");
        return 2;
    }
    // The flow's own debug lines would drown the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 10;
    if (!QFileInfo::exists(path) || rounds < 1) {
        std::fprintf(stderr, "bench_open_close: no such file or no rounds\n");
        return 2;
    }
    std::printf("open and close %s (%.1f MB) %d times, offscreen\n", qPrintable(QFileInfo(path).fileName()),
                static_cast<double>(QFileInfo(path).size()) / 1e6, rounds);

    QTemporaryDir tiles;
    QNetworkAccessManager manager;
    auto state = std::make_unique<app_state>(QDir(tiles.path()));
    auto main_window = std::make_unique<dornvalemainwindow>(state.get(), &manager);
    main_window->show();

    std::fflush(stdout);
    auto quiet = std::make_unique<test_support::streams_capture>();
    driver rounds_driver(*main_window, path, rounds);
    const int status = app.exec();
    quiet.reset();
    if (status != 0)
        return status;

    const std::vector<round_figures>& f = rounds_driver.figures;
    double worst_painted = 0;
    std::vector<double> shown, painted;
    for (const round_figures& r : f) {
        worst_painted = std::max(worst_painted, r.painted_ms);
        shown.push_back(r.shown_ms);
        painted.push_back(r.painted_ms);
    }
    const double median_shown = median(shown);
    std::printf("  time to the shown window: median %.0f ms (first round %.0f ms, slowest %.0f ms), first "
                "paint median %.0f ms; target 700 ms: %s\n",
                median_shown, f.front().shown_ms, *std::max_element(shown.begin(), shown.end()),
                median(painted), median_shown <= 700 ? "met" : "MISSED");
    std::vector<double> grown;
    for (const round_figures& r : f)
        grown.push_back((r.open_mb - r.before_mb) / r.model_mb);
    std::printf("  resident memory grown by the open: median %.3f x the model's %.1f MB (12 B/sample), first "
                "round %.3f x\n",
                median(grown), f.front().model_mb, grown.front());
    const double growth = (f.back().closed_mb - f.front().closed_mb) / f.front().closed_mb * 100;
    std::printf("  slowest window (first paint): %.0f ms after accepting, target 2000 ms: %s\n",
                worst_painted, worst_painted <= 2000 ? "met" : "MISSED");
    std::printf(
        "  resident memory: %.1f MB before the first open, %.1f MB after the first close, %.1f MB after "
        "close %zu (%+.1f %%), target at most 10 %% above the first: %s\n",
        rounds_driver.before_mb, f.front().closed_mb, f.back().closed_mb, f.size(), growth,
        growth <= 10 ? "met" : "MISSED");
    std::printf("  peak resident memory: %.1f MB\n", kb_to_mb(status_kb("VmHWM:")));
    return 0;
}
