#include "layer.h"

layer::~layer() = default;
