#pragma once
// A reader run with both standard streams captured and its documented exceptions turned into text.
#include "data/io/loader_cancelled.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"
#include "support/test_support.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace test_support {

// What a reader leaves behind besides its records.
struct read_log
{
    QString error; // "wrong header", "cancelled", or the failed read's reason
    QString out, err;
    QList<qint32> values;
    QStringList texts;
};

// Runs load(progress) with a progress that cancels after the given polls (-1: never).
template <typename Load> void capture_read(int cancel_after_polls, read_log& log, Load&& load)
{
    recording_progress p;
    p.cancel_after_polls = cancel_after_polls;
    streams_capture capture;
    try {
        load(p);
    } catch (const loader_wrong_header&) {
        log.error = "wrong header";
    } catch (const loader_cancelled&) {
        log.error = "cancelled";
    } catch (const loader_read_failed& e) {
        log.error = e.reason();
    }
    log.out = capture.stdout_text();
    log.err = capture.stderr_text();
    log.values = p.values;
    log.texts = p.texts;
}

// What a captured reader reports to and prints.
struct read_captures
{
    recording_progress progress;
    streams_capture streams;
};

// A reader constructed from args and the recorded progress, both streams captured from before it starts.
template <typename Reader> struct captured : read_captures, Reader
{
    template <typename... Args>
    explicit captured(Args&&... args) : Reader(std::forward<Args>(args)..., &progress)
    {
    }
};

} // namespace test_support
