#include "app/map_prefs.h"

#include <atomic>
#include <charconv>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "base/numfmt.h"
#include "base/ports.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "net/live_publishers.h"
#include "net/map_publisher.h"
#include "session/session_globals.h"
#include "session/thread_es.h"
#include "settings/config.h"

namespace zel {

namespace {

const char* const kFileName = "cg_maps.txt";

MapUploadSettings g_prefs;
std::shared_ptr<MapPublisher> g_publisher;

bool ReadInt64(const std::string& v, int64_t& out) {
    int64_t n = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (r.ec != std::errc() || r.ptr != v.data() + v.size()) return false;
    out = n;
    return true;
}

void Attach() {
    if (g_publisher) DetachPublisher(g_publisher.get());
    g_publisher.reset();
    if (!g_prefs.any()) return;
    g_publisher = std::make_shared<MapPublisher>(g_prefs);
    AttachPublisher(g_publisher);
}

// A test under way: its own uploader (so that a stop ends its transfer) and thread.
struct TestRun {
    std::unique_ptr<MapUploader> uploader;
    std::thread thread;
    std::atomic<bool> finished{false};
};
std::vector<std::unique_ptr<TestRun>> g_tests;
// Results of tests started before the last StopMapTests() are dropped.
unsigned g_testGeneration = 0;

void JoinFinishedTests() {
    for (auto it = g_tests.begin(); it != g_tests.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = g_tests.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

const MapUploadSettings& MapPrefs() {
    return g_prefs;
}

std::string MapPrefsFile() {
    return Repertoire_conf + kFileName;
}

std::string MapPrefsText(const MapUploadSettings& s) {
    std::string t;
    auto line = [&t](const char* key, const std::string& v) {
        t += std::string(key) + "=" + v + "\r\n";
    };
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    line("UploadEvery", std::to_string(s.intervalSeconds));
    line("Radmon", flag(s.radmon.enabled));
    line("RadmonUser", s.radmon.user);
    line("RadmonPassword", s.radmon.password);
    // An address is written only when it is not the service's own, so that a later version
    // may move to a new one.
    if (s.radmon.url != kRadmonUrl) line("RadmonUrl", s.radmon.url);
    line("Gmcmap", flag(s.gmcmap.enabled));
    line("GmcmapAccount", s.gmcmap.account);
    line("GmcmapCounter", s.gmcmap.counter);
    if (s.gmcmap.url != kGmcmapUrl) line("GmcmapUrl", s.gmcmap.url);
    line("Safecast", flag(s.safecast.enabled));
    line("SafecastKey", s.safecast.apiKey);
    line("SafecastLatitude", FloatToStr(s.safecast.latitude));
    line("SafecastLongitude", FloatToStr(s.safecast.longitude));
    line("SafecastDevice", s.safecast.deviceId ? std::to_string(*s.safecast.deviceId) : "");
    if (s.safecast.height) line("SafecastHeight", FloatToStr(*s.safecast.height));
    if (!s.safecast.locationName.empty()) line("SafecastLocation", s.safecast.locationName);
    if (s.safecast.url != kSafecastUrl) line("SafecastUrl", s.safecast.url);
    return t;
}

MapUploadSettings ReadMapPrefs(const std::vector<std::string>& lines) {
    MapUploadSettings s;
    for (const auto& raw : lines) {
        const size_t eq = raw.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = UpperAscii(TrimControl(raw.substr(0, eq)));
        // Values keep their inner and outer blanks but a password may not start or end with a
        // line end.
        const std::string v = raw.substr(eq + 1);
        double x = 0;
        int64_t n = 0;
        if (key == "UPLOADEVERY" && ReadInt64(v, n) && n >= kMinUploadSeconds && n <= 86400)
            s.intervalSeconds = static_cast<int>(n);
        else if (key == "RADMON")
            s.radmon.enabled = ReadFlag(v, false);
        else if (key == "RADMONUSER")
            s.radmon.user = v;
        else if (key == "RADMONPASSWORD")
            s.radmon.password = v;
        else if (key == "RADMONURL" && !v.empty())
            s.radmon.url = v;
        else if (key == "GMCMAP")
            s.gmcmap.enabled = ReadFlag(v, false);
        else if (key == "GMCMAPACCOUNT")
            s.gmcmap.account = v;
        else if (key == "GMCMAPCOUNTER")
            s.gmcmap.counter = v;
        else if (key == "GMCMAPURL" && !v.empty())
            s.gmcmap.url = v;
        else if (key == "SAFECAST")
            s.safecast.enabled = ReadFlag(v, false);
        else if (key == "SAFECASTKEY")
            s.safecast.apiKey = v;
        else if (key == "SAFECASTLATITUDE" && ParseDecimal(v, x) && x >= -90 && x <= 90)
            s.safecast.latitude = x;
        else if (key == "SAFECASTLONGITUDE" && ParseDecimal(v, x) && x >= -180 && x <= 180)
            s.safecast.longitude = x;
        else if (key == "SAFECASTDEVICE" && ReadInt64(v, n) && n > 0)
            s.safecast.deviceId = n;
        else if (key == "SAFECASTHEIGHT" && ParseDecimal(v, x))
            s.safecast.height = x;
        else if (key == "SAFECASTLOCATION")
            s.safecast.locationName = v;
        else if (key == "SAFECASTURL" && !v.empty())
            s.safecast.url = v;
    }
    return s;
}

void StartMapUploads() {
    TextList lines;
    g_prefs = MapUploadSettings{};
    if (FileExists(MapPrefsFile()) && LoadTextFile(MapPrefsFile(), lines))
        g_prefs = ReadMapPrefs(lines);
    Attach();
}

bool SetMapPrefs(const MapUploadSettings& s, int* err) {
    g_prefs = s;
    Attach();
    return AtomicWriteFile(MapPrefsFile(), MapPrefsText(s), err, 0600);
}

void TestMapService(MapService service, const MapUploadSettings& s,
                    std::function<void(bool, const std::string&)> done) {
    JoinFinishedTests();
    const MapTexts texts = MapTexts::Current();
    if (!Thread_ES || !Thread_ES->Live.HasLast || Thread_ES->Live.Last < 0) {
        done(false, texts[MapText::TestNoReading]);
        return;
    }
    MapReading r;
    r.meanCpm = r.meanCpmSinceUpload = Thread_ES->Live.Last;
    r.usvPerCpm = Fichier_conf.conversion_sievert_capture;
    r.utcSeconds = static_cast<int64_t>(std::time(nullptr));

    auto run = std::make_unique<TestRun>();
    run->uploader =
        std::make_unique<MapUploader>(s, texts, MapJournal{}, int64_t{s.intervalSeconds} * 1000);
    TestRun* t = run.get();
    const unsigned generation = g_testGeneration;
    t->thread = std::thread([t, service, r, texts, generation, done = std::move(done)] {
        const UploadOutcome o = t->uploader->Send(service, r);
        if (o.problem != UploadProblem::Aborted) {
            const bool passed = o.problem == UploadProblem::None;
            const std::string words =
                passed ? texts[MapText::TestPassed] +
                             FillIn(texts[MapText::FirstAccepted], FormatFloat("0.##", r.meanCpm))
                       : texts[MapText::TestFailed] + t->uploader->Describe(service, o);
            MainThread().postToMain([generation, done, passed, words] {
                if (generation == g_testGeneration) done(passed, words);
            });
        }
        t->finished = true;
    });
    g_tests.push_back(std::move(run));
}

void StopMapTests() {
    ++g_testGeneration;
    for (auto& t : g_tests)
        t->uploader->RequestStop();
    for (auto& t : g_tests)
        t->thread.join();
    g_tests.clear();
    g_publisher.reset();
}

} // namespace zel
