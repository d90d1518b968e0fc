#include "data/io/loader_wrong_header.h"

// Out of line so the class has one home for its type information.
loader_wrong_header::~loader_wrong_header() = default;
