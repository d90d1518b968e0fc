#include "map/layer.h"

layer::~layer() = default;

void layer::paint_overlay(QPainter*, const map_scale&, qint64, qint64) {}
