// The desktop's radiation map settings: their file (readable by its owner only), the publisher
// they attach, and the test buttons against a stand-in server.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/map_prefs.h"
#include "app_fixture.h"
#include "http_stand_in.h"
#include "net/live_publishers.h"
#include "session/session_globals.h"
#include "session/thread_es.h"

namespace zeltest {
namespace {

class MapPrefsTest : public AppTest {
  protected:
    zel::MapUploadSettings Full() {
        zel::MapUploadSettings s;
        s.intervalSeconds = 600;
        s.radmon = {true, "shed pi", " pass=word ", "http://mirror.example/radmon.php"};
        s.gmcmap = {false, "0123", "4567", zel::kGmcmapUrl};
        s.safecast.enabled = true;
        s.safecast.apiKey = "KEY";
        s.safecast.latitude = -33.8688;
        s.safecast.longitude = 151.2093;
        s.safecast.deviceId = 99;
        return s;
    }
    // Serves the main thread's queue until `done` or 10 s.
    template <class Pred> bool ServeUntil(Pred done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            zel::MainThread().processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }
};

TEST_F(MapPrefsTest, SettingsFileReadsBackAndOnlyItsOwnerMayReadIt) {
    Start();
    const size_t before = zel::PublisherCount();
    ASSERT_TRUE(zel::SetMapPrefs(Full()));
    EXPECT_EQ(zel::PublisherCount(), before + 1);
    struct stat st {};
    ASSERT_EQ(stat(zel::MapPrefsFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    zel::TextList lines;
    ASSERT_TRUE(zel::LoadTextFile(zel::MapPrefsFile(), lines));
    EXPECT_EQ(zel::MapPrefsText(zel::ReadMapPrefs(lines)), zel::MapPrefsText(Full()));
    // The services' own addresses are not written.
    EXPECT_EQ(ReadFile(zel::MapPrefsFile()).find("GmcmapUrl"), std::string::npos);

    // Every service off: no publisher left.
    ASSERT_TRUE(zel::SetMapPrefs(zel::MapUploadSettings{}));
    EXPECT_EQ(zel::PublisherCount(), before);
}

TEST_F(MapPrefsTest, ValuesThatDoNotReadKeepTheirDefaults) {
    const zel::MapUploadSettings s = zel::ReadMapPrefs({
        "UploadEvery=30",             // under the minimum
        "Radmon=yes",                 // neither 1 nor 0
        "SafecastLatitude=48,85",     // a decimal comma
        "SafecastLongitude=200",      // off the globe
        "SafecastDevice=-3",          //
        "GmcmapUrl=",                 // empty: the service's own
        "no equals sign",             //
        "safecastkey=lower-case key", // keys in any case
    });
    EXPECT_EQ(s.intervalSeconds, zel::kDefaultUploadSeconds);
    EXPECT_FALSE(s.radmon.enabled);
    EXPECT_EQ(s.safecast.latitude, 0);
    EXPECT_EQ(s.safecast.longitude, 0);
    EXPECT_FALSE(s.safecast.deviceId);
    EXPECT_EQ(s.gmcmap.url, zel::kGmcmapUrl);
    EXPECT_EQ(s.safecast.apiKey, "lower-case key");
}

TEST_F(MapPrefsTest, TestButtonSendsTheLastCountOrNothingWithoutOne) {
    HttpStandIn server([](const HttpStandIn::Request& r) {
        if (r.path == "/radmon.php") return HttpStandIn::Reply{200, "Incorrect login"};
        return HttpStandIn::Reply{201, "{}"};
    });
    Start();
    zel::MapUploadSettings s = Full();
    s.radmon.url = server.url("/radmon.php");
    s.safecast.url = server.url("/measurements.json");
    const zel::MapTexts texts = zel::MapTexts::Current();

    std::vector<std::pair<bool, std::string>> results;
    auto record = [&](bool passed, const std::string& words) {
        results.emplace_back(passed, words);
    };
    // No count yet: told at once, nothing sent.
    zel::TestMapService(zel::MapService::Safecast, s, record);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], std::make_pair(false, texts[zel::MapText::TestNoReading]));
    EXPECT_TRUE(server.requests().empty());

    zel::Thread_ES->Live.HasLast = true;
    zel::Thread_ES->Live.Last = 25;
    zel::TestMapService(zel::MapService::Safecast, s, record);
    ASSERT_TRUE(ServeUntil([&] { return results.size() == 2; }));
    EXPECT_EQ(results[1],
              std::make_pair(true, texts[zel::MapText::TestPassed] +
                                       zel::FillIn(texts[zel::MapText::FirstAccepted], "25")));
    zel::TestMapService(zel::MapService::Radmon, s, record);
    ASSERT_TRUE(ServeUntil([&] { return results.size() == 3; }));
    EXPECT_EQ(results[2], std::make_pair(false, texts[zel::MapText::TestFailed] +
                                                    texts[zel::MapText::LoginRefused]));
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_NE(server.requests()[0].body.find("\"value\":25,"), std::string::npos);
    EXPECT_EQ(server.requests()[1].param("value"), "25");
    EXPECT_EQ(server.requests()[1].param("password"), " pass=word ");
}

} // namespace
} // namespace zeltest
