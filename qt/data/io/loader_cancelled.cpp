#include "data/io/loader_cancelled.h"

// Out of line so the class has one home for its type information.
loader_cancelled::~loader_cancelled() = default;
