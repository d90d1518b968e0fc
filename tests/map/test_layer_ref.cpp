// The layer host's list and the layer handle, which needs nothing of the map but its host.
#include "map/layer.h"
#include "map/layer_host.h"
#include "map/layer_ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct host : layer_host
{
    using layer_host::append_layer;
};

// Notes, when deleted, how many times the host still listed it.
struct watched_layer : layer
{
    const layer_host& on;
    int* listed_at_deletion;
    watched_layer(const layer_host& h, int* listed) : on(h), listed_at_deletion(listed) {}
    ~watched_layer() override
    {
        *listed_at_deletion = static_cast<int>(std::count(on.layers().begin(), on.layers().end(), this));
    }
    void paint(QPainter*, const map_scale&, qint64, qint64) override {}
};

struct plain_layer : layer
{
    void paint(QPainter*, const map_scale&, qint64, qint64) override {}
};

} // namespace

TEST(layer_host, remove_takes_every_occurrence_and_keeps_the_order)
{
    plain_layer a, b, c;
    host h;
    EXPECT_TRUE(h.layers().empty());
    for (layer* l :
         {static_cast<layer*>(&a), static_cast<layer*>(&b), static_cast<layer*>(&a), static_cast<layer*>(&c)})
        h.append_layer(l);
    EXPECT_EQ(h.layers(), (std::vector<layer*>{&a, &b, &a, &c}));
    h.remove_layer(&a);
    EXPECT_EQ(h.layers(), (std::vector<layer*>{&b, &c}));
    h.remove_layer(&a); // no longer shown: nothing changes
    EXPECT_EQ(h.layers(), (std::vector<layer*>{&b, &c}));
    h.remove_layer(&c);
    h.remove_layer(&b);
    EXPECT_TRUE(h.layers().empty());
}

TEST(layer_ref, holds_its_host_and_layer)
{
    host h;
    int listed = -1;
    auto* l = new watched_layer(h, &listed);
    h.append_layer(l);
    const layer_ref ref(&h, l);
    EXPECT_EQ(ref.host(), &h);
    EXPECT_EQ(ref.get(), l);
}

TEST(layer_ref, destroying_it_takes_the_layer_off_before_deleting_it)
{
    host h;
    plain_layer other;
    int listed = -1;
    auto* l = new watched_layer(h, &listed);
    h.append_layer(&other);
    h.append_layer(l);
    h.append_layer(&other);
    auto ref = std::make_unique<layer_ref>(&h, l);
    ref.reset();
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(h.layers(), (std::vector<layer*>{&other, &other}));
}
