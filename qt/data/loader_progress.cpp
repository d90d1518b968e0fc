#include "data/loader_progress.h"

loader_progress::~loader_progress() = default;
