#include "map/layer.h"

layer::~layer() = default;
