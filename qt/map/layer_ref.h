#pragma once

class layer;
class layer_host;

// The handle of a layer on a map: destroying it takes the layer off the map and deletes it.
// The host must still exist when the handle goes.
class layer_ref
{
public:
    layer_ref(layer_host* host, layer* owned_layer);
    ~layer_ref();

    layer_ref(const layer_ref&) = delete;
    layer_ref& operator=(const layer_ref&) = delete;

    layer_host* host() const { return host_; }
    layer* get() const { return layer_; }

private:
    layer_host* host_; // not owned
    layer* layer_;     // owned
};
