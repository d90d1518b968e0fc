#include "data/io/loader_progress.h"

loader_progress::~loader_progress() = default;

void loader_progress::loader_progress_set_file(const QString&) {}

void loader_progress::loader_progress_bytes(qint64, qint64) {}
