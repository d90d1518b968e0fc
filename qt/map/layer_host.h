#pragma once

#include <algorithm>
#include <vector>

class layer;

// The overlays a map shows, in painting order (not owned). A layer_ref takes its layer off again
// through remove_layer, so the handle needs nothing else of the map.
class layer_host
{
public:
    virtual ~layer_host() = default;

    const std::vector<layer*>& layers() const { return layers_; }

    // Removes every occurrence of the layer, keeping the order of the others. Does not repaint.
    void remove_layer(layer* l)
    {
        layers_.erase(std::remove(layers_.begin(), layers_.end(), l), layers_.end());
        layers_changed_hook();
    }

protected:
    // Appends the layer. Does not repaint.
    void append_layer(layer* l)
    {
        layers_.push_back(l);
        layers_changed_hook();
    }
    // Called after every addition and removal.
    virtual void layers_changed_hook() {}

private:
    std::vector<layer*> layers_;
};
