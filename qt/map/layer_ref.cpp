#include "map/layer_ref.h"

#include "map/layer.h"
#include "map/layer_host.h"

layer_ref::layer_ref(layer_host* host, layer* owned_layer) : host_(host), layer_(owned_layer) {}

layer_ref::~layer_ref()
{
    host_->remove_layer(layer_);
    delete layer_;
}
