// Uploads to the radiation maps against a stand-in server on a loopback port: the exact
// request of each service, the mean of an interval, gaps, failures told once and retried at the
// next interval, and no secret in the journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "http_stand_in.h"
#include "net/map_upload.h"

namespace zel {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

// 2026-12-10 18:00:00 UTC
constexpr int64_t kT0 = 1796925600;

// Answers as the real services do, or as the test scripts per path.
class StandInMaps {
  public:
    StandInMaps()
        : server_([this](const HttpStandIn::Request& r) {
              std::lock_guard<std::mutex> l(m_);
              auto& script = scripts_[r.path];
              if (!script.empty()) {
                  const HttpStandIn::Reply reply = script.front();
                  script.erase(script.begin());
                  return reply;
              }
              if (r.path == "/radmon.php") return HttpStandIn::Reply{200, "OK<br>"};
              if (r.path == "/log2.asp") return HttpStandIn::Reply{200, "<!--x-->OK.ERR0"};
              return HttpStandIn::Reply{201, "{\"id\":7}"};
          }) {}
    // The next replies of `path`, in order; then the usual ones again.
    void Script(const std::string& path, std::vector<HttpStandIn::Reply> replies) {
        std::lock_guard<std::mutex> l(m_);
        scripts_[path] = std::move(replies);
    }
    HttpStandIn& server() { return server_; }

  private:
    std::mutex m_;
    std::map<std::string, std::vector<HttpStandIn::Reply>> scripts_;
    HttpStandIn server_;
};

class MapUploadTest : public ::testing::Test {
  protected:
    MapUploadSettings AllThree() {
        MapUploadSettings s;
        s.radmon = {true, "shed-pi", "p@ss word&1", maps_.server().url("/radmon.php")};
        s.gmcmap = {true, "01234", "56789", maps_.server().url("/log2.asp")};
        s.safecast.enabled = true;
        s.safecast.apiKey = "k3y+Secret";
        s.safecast.latitude = 48.8566;
        s.safecast.longitude = -2.35;
        s.safecast.url = maps_.server().url("/measurements.json");
        return s;
    }
    // A synchronous uploader: the test ends each interval itself.
    MapUploader Uploader(const MapUploadSettings& s, HttpLimits limits = {}) {
        return MapUploader(
            s, MapTexts::BuiltIn(),
            [this](const std::string& l) {
                std::lock_guard<std::mutex> g(journalMutex_);
                journal_.push_back(l);
            },
            300000, limits);
    }
    std::vector<std::string> Journal() {
        std::lock_guard<std::mutex> g(journalMutex_);
        return journal_;
    }
    std::vector<std::string> JournalOf(const std::string& service) {
        std::vector<std::string> out;
        for (const auto& l : Journal())
            if (l.rfind(service + ": ", 0) == 0) out.push_back(l.substr(service.size() + 2));
        return out;
    }
    std::vector<std::string> Values(const std::string& path, const std::string& param) {
        std::vector<std::string> out;
        for (const auto& r : maps_.server().requestsTo(path))
            out.push_back(r.param(param));
        return out;
    }

    StandInMaps maps_;
    std::mutex journalMutex_;
    std::vector<std::string> journal_;
};

TEST_F(MapUploadTest, EachServiceGetsItsExactRequest) {
    MapUploadSettings s = AllThree();
    s.safecast.deviceId = 42;
    s.safecast.height = 1.5;
    s.safecast.locationName = "Shed \"north\"";
    MapUploader up = Uploader(s);
    up.AddCount(10, 0.0057, kT0 - 120);
    up.AddCount(20, 0.0057, kT0 - 60);
    up.AddCount(31, 0.0057, kT0);
    up.EndInterval();

    const auto all = maps_.server().requests();
    ASSERT_EQ(all.size(), 3u);

    const HttpStandIn::Request& radmon = all[0];
    EXPECT_EQ(radmon.method, "GET");
    EXPECT_EQ(radmon.path, "/radmon.php");
    EXPECT_EQ(radmon.params(), (Params{{"function", "submit"},
                                       {"user", "shed-pi"},
                                       {"password", "p@ss word&1"},
                                       {"value", "20.33"},
                                       {"unit", "CPM"},
                                       {"datetime", "2026-12-10 18:00:00"}}));
    // The date as radmon.org documents it: the blank escaped, the colons as they are.
    EXPECT_NE(radmon.query.find("&datetime=2026-12-10%2018:00:00"), std::string::npos);

    const HttpStandIn::Request& gmc = all[1];
    EXPECT_EQ(gmc.method, "GET");
    EXPECT_EQ(gmc.path, "/log2.asp");
    // 20.33 CPM x 0.0057 = 0.1159 µSv/h
    EXPECT_EQ(gmc.params(), (Params{{"AID", "01234"},
                                    {"GID", "56789"},
                                    {"CPM", "20"},
                                    {"ACPM", "20.33"},
                                    {"uSV", "0.1159"}}));

    const HttpStandIn::Request& sc = all[2];
    EXPECT_EQ(sc.method, "POST");
    EXPECT_EQ(sc.path, "/measurements.json");
    EXPECT_EQ(sc.params(), (Params{{"api_key", "k3y+Secret"}}));
    EXPECT_EQ(sc.headers.at("content-type"), "application/json");
    EXPECT_EQ(sc.body, "{\"latitude\":48.8566,\"longitude\":-2.35,\"value\":20.33,\"unit\":\"cpm\","
                       "\"captured_at\":\"2026-12-10T18:00:00Z\",\"device_id\":42,\"height\":1.5,"
                       "\"location_name\":\"Shed \\\"north\\\"\"}");

    // The first accepted upload is told, once per service; the next ones are not.
    EXPECT_EQ(JournalOf("radmon.org"), std::vector<std::string>{"mesure acceptée (20.33 CPM)"});
    EXPECT_EQ(JournalOf("GMCmap"), std::vector<std::string>{"mesure acceptée (20.33 CPM)"});
    EXPECT_EQ(JournalOf("Safecast"), std::vector<std::string>{"mesure acceptée (20.33 CPM)"});
    up.AddCount(12, 0.0057, kT0 + 60);
    up.EndInterval();
    EXPECT_EQ(maps_.server().requests().size(), 6u);
    EXPECT_EQ(Journal().size(), 3u);
}

TEST_F(MapUploadTest, OnlyTheCountsOfEachIntervalAndNothingDuringAGap) {
    MapUploadSettings s = AllThree();
    s.safecast.enabled = false;
    MapUploader up = Uploader(s);
    struct Interval {
        std::vector<int32_t> counts;
        const char* radmonValue; // nullptr: nothing uploaded
    };
    const Interval intervals[] = {
        {{5, 6}, "5.5"},      {{}, nullptr}, // the counter was silent
        {{-1, -1}, nullptr},                 // only its invalid mark: not a count
        {{7, -1, 8, 9}, "8"},                // the mark left out of the mean
        {{1, 1, 2}, "1.33"},  {{0}, "0"},    // a count of zero is a count
    };
    std::vector<std::string> expected;
    int64_t t = kT0;
    for (const auto& i : intervals) {
        for (int32_t c : i.counts)
            up.AddCount(c, 0.0057, t += 60);
        up.EndInterval();
        if (i.radmonValue) expected.push_back(i.radmonValue);
    }
    EXPECT_EQ(Values("/radmon.php", "value"), expected);
    EXPECT_EQ(Values("/log2.asp", "ACPM"), expected);
    EXPECT_EQ(Values("/log2.asp", "CPM"), (std::vector<std::string>{"6", "8", "1", "0"}));
    // The date is that of the interval's last count.
    const auto radmon = maps_.server().requestsTo("/radmon.php");
    ASSERT_EQ(radmon.size(), 4u);
    EXPECT_EQ(radmon[1].param("datetime"), UtcText(kT0 + 60 * 8, ' '));
}

struct FailureCase {
    const char* what;
    MapService service;
    const char* path;
    HttpStandIn::Reply reply;
    const char* journalled; // after "<service>: "
};

TEST_F(MapUploadTest, AFailureIsToldOnceAndTriedAgainAtTheNextIntervalOnly) {
    const char* next = " ; nouvel essai dans 300 s";
    const FailureCase cases[] = {
        {"radmon login",
         MapService::Radmon,
         "/radmon.php",
         {200, "Incorrect login."},
         "nom d'utilisateur ou mot de passe refusé"},
        {"radmon words",
         MapService::Radmon,
         "/radmon.php",
         {200, "<p>Rate limited</p>"},
         "envoi refusé : Rate limited"},
        {"gmcmap account", MapService::Gmcmap, "/log2.asp", {200, "ERR1"}, "compte inconnu (AID)"},
        {"gmcmap counter",
         MapService::Gmcmap,
         "/log2.asp",
         {200, "ERR2"},
         "compteur inconnu sur ce compte (GID)"},
        {"gmcmap request",
         MapService::Gmcmap,
         "/log2.asp",
         {200, "ERR3"},
         "requête refusée comme incorrecte"},
        {"safecast key",
         MapService::Safecast,
         "/measurements.json",
         {401, "{}"},
         "clé d'API refusée"},
        {"safecast status",
         MapService::Safecast,
         "/measurements.json",
         {500, ""},
         "réponse HTTP inattendue : 500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        journal_.clear();
        MapUploadSettings s = AllThree();
        s.radmon.enabled = c.service == MapService::Radmon;
        s.gmcmap.enabled = c.service == MapService::Gmcmap;
        s.safecast.enabled = c.service == MapService::Safecast;
        const size_t before = maps_.server().requestsTo(c.path).size();
        const std::string name = MapServiceName(c.service);
        MapUploader up = Uploader(s);
        // Refused twice, then accepted.
        maps_.Script(c.path, {c.reply, c.reply});
        for (int i = 0; i < 3; ++i) {
            up.AddCount(20 + i, 0.0057, kT0 + 60 * i);
            up.EndInterval();
            // One request per interval, failed or not: no flood.
            EXPECT_EQ(maps_.server().requestsTo(c.path).size(), before + i + 1);
        }
        EXPECT_EQ(JournalOf(name), (std::vector<std::string>{std::string(c.journalled) + next,
                                                             "mesure acceptée (22 CPM)"}));
    }
}

TEST_F(MapUploadTest, ADifferentFailureIsToldAgainAndRecoveryOnce) {
    MapUploadSettings s = AllThree();
    s.gmcmap.enabled = s.safecast.enabled = false;
    MapUploader up = Uploader(s);
    const HttpStandIn::Reply login{200, "Incorrect login"}, busy{503, "Busy"}, ok{200, "OK"};
    maps_.Script("/radmon.php", {ok, login, login, busy, ok, ok, login});
    for (int i = 0; i < 7; ++i) {
        up.AddCount(10, 0.0057, kT0 + 60 * i);
        up.EndInterval();
    }
    EXPECT_EQ(JournalOf("radmon.org"),
              (std::vector<std::string>{"mesure acceptée (10 CPM)",
                                        "nom d'utilisateur ou mot de passe refusé ; nouvel essai "
                                        "dans 300 s",
                                        "envoi refusé : Busy ; nouvel essai dans 300 s",
                                        "les envois sont de nouveau acceptés",
                                        "nom d'utilisateur ou mot de passe refusé ; nouvel essai "
                                        "dans 300 s"}));
}

TEST_F(MapUploadTest, GmcmapAverageRunsSinceItsLastAcceptedUpload) {
    MapUploadSettings s = AllThree();
    s.radmon.enabled = s.safecast.enabled = false;
    MapUploader up = Uploader(s);
    maps_.Script("/log2.asp", {{200, "ERR2"}, {200, "OK.ERR0"}});
    up.AddCount(10, 0.0057, kT0);
    up.EndInterval(); // refused
    up.AddCount(20, 0.0057, kT0 + 60);
    up.AddCount(24, 0.0057, kT0 + 120);
    up.EndInterval(); // accepted
    up.AddCount(5, 0.0057, kT0 + 180);
    up.EndInterval();
    EXPECT_EQ(Values("/log2.asp", "CPM"), (std::vector<std::string>{"10", "22", "5"}));
    EXPECT_EQ(Values("/log2.asp", "ACPM"), (std::vector<std::string>{"10", "18", "5"}));
}

TEST_F(MapUploadTest, NoSecretReachesTheJournalEvenWhenTheServerRepeatsIt) {
    MapUploadSettings s = AllThree();
    MapUploader up = Uploader(s);
    // One repeats the password as it was sent in the query, the other the key as it is.
    maps_.Script("/radmon.php", {{200, "Bad value for user shed-pi password p%40ss%20word%261"}});
    maps_.Script("/log2.asp", {{404, ""}});
    maps_.Script("/measurements.json", {{422, "api_key=k3y+Secret is not valid"}});
    up.AddCount(10, 0.0057, kT0);
    up.EndInterval();
    // And a server that cannot be reached names its host only.
    MapUploadSettings gone = AllThree();
    gone.radmon.url = "http://127.0.0.1:1/radmon.php";
    gone.gmcmap.enabled = gone.safecast.enabled = false;
    MapUploader up2 = Uploader(gone);
    up2.AddCount(10, 0.0057, kT0);
    up2.EndInterval();

    const auto j = Journal();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[0], "radmon.org: envoi refusé : Bad value for user shed-pi password *** ; nouvel "
                    "essai dans 300 s");
    EXPECT_EQ(j[2], "Safecast: envoi refusé : api_key=*** is not valid ; nouvel essai dans 300 s");
    EXPECT_EQ(j[3].rfind("radmon.org: connexion à 127.0.0.1:1 impossible : ", 0), 0u) << j[3];
    for (const auto& l : j) {
        EXPECT_EQ(l.find("p@ss"), std::string::npos) << l;
        EXPECT_EQ(l.find("p%40ss"), std::string::npos) << l;
        EXPECT_EQ(l.find("k3y"), std::string::npos) << l;
    }
}

} // namespace
} // namespace zel
