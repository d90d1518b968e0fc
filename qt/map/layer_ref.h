#pragma once

class layer;
class map_widget;

// The handle of a layer on a map: destroying it takes the layer off the map and deletes it.
// The widget must still exist when the handle goes.
class layer_ref
{
public:
    layer_ref(map_widget* widget, layer* owned_layer);
    ~layer_ref();

    layer_ref(const layer_ref&) = delete;
    layer_ref& operator=(const layer_ref&) = delete;

    map_widget* widget() const { return widget_; }
    layer* get() const { return layer_; }

private:
    map_widget* widget_; // not owned
    layer* layer_;       // owned
};
