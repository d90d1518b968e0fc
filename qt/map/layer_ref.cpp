#include "map/layer_ref.h"

#include "map/layer.h"
#include "map/map_widget.h"

layer_ref::layer_ref(map_widget* widget, layer* owned_layer) : widget_(widget), layer_(owned_layer) {}

layer_ref::~layer_ref()
{
    widget_->remove_layer(layer_);
    delete layer_;
}
