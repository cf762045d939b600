// The maps as a publisher of live counts: counts from the feed, journal lines on the main thread
// only, and never one mean over two counters.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "http_stand_in.h"
#include "net/map_publisher.h"

namespace zel {
namespace {

LiveCount Count(const std::string& counter, int32_t cpm) {
    LiveCount c;
    c.counter.id = counter;
    c.cpm = cpm;
    c.factor = 0.0057;
    return c;
}

TEST(MapPublisher, CountsOfTwoCountersNeverShareAMean) {
    HttpStandIn server([](const HttpStandIn::Request&) { return HttpStandIn::Reply{200, "OK"}; });
    MapUploadSettings s;
    s.radmon = {true, "u", "p", server.url("/radmon.php")};
    std::vector<std::string> journal;
    MapPublisher p(
        s, [&](const std::string& l) { journal.push_back(l); }, 300);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0], "Envoi aux cartes de radioactivité toutes les 0.3 s : radmon.org");

    LiveCounter a, b;
    a.id = "vorn8_00001";
    b.id = "vorn8_00002";
    p.counterOnline(a);
    p.count(Count(a.id, 100));
    p.counterOffline(a);
    p.counterOnline(b);
    p.count(Count(b.id, 10));
    ASSERT_TRUE(server.waitForRequests(1, 10000));
    // The first upload's line waits for the main thread's tick.
    EXPECT_EQ(journal.size(), 1u);
    for (int i = 0; i < 250 && journal.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        p.tick();
    }
    p.stop();
    // Whether the first interval ended before the change of counter or not, no upload mixes
    // the two (55 would).
    for (const auto& r : server.requests())
        EXPECT_TRUE(r.param("value") == "10" || r.param("value") == "100") << r.param("value");
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[1].rfind("radmon.org: mesure acceptée (", 0), 0u) << journal[1];
}

} // namespace
} // namespace zel
