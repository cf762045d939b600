#pragma once
// The journal texts of the map uploads. French built in; a language file replaces any of them
// by number in its section "Cartes", and a text it lacks stays French.
#include <array>
#include <cstdint>
#include <string>

namespace zel {

// The numbers are those of the language file's section "Cartes": never renumber, only append.
enum class MapText : int32_t {
    UploadingEvery = 1, // "%s" the seconds, followed by the services' names
    FirstAccepted = 2,  // "%s" the counts per minute sent
    WorksAgain = 3,
    LoginRefused = 4,   // radmon.org
    UnknownAccount = 5, // GMCmap
    UnknownCounter = 6, // GMCmap
    BadRequest = 7,     // GMCmap
    KeyRefused = 8,     // Safecast
    Refused = 9,        // followed by the server's words
    HttpStatus = 10,    // followed by the status
    NoAnswer = 11,      // "%s" the server, then the seconds waited
    CannotConnect = 12, // "%s" the server, followed by the system's words
    NetworkError = 13,  // "%s" the server, followed by the system's words
    NextTry = 14,       // "%s" the seconds until the next interval
    // The preferences' radiation map settings.
    PrefMaps = 15,
    PrefRadmon = 16,
    PrefUser = 17,
    PrefPassword = 18,
    PrefGmcmap = 19,
    PrefAccount = 20,
    PrefCounter = 21,
    PrefSafecast = 22,
    PrefApiKey = 23,
    PrefLatitude = 24,
    PrefLongitude = 25,
    PrefDevice = 26,
    PrefUploadEvery = 27,
    PrefTest = 28,
    TestSending = 29,
    TestPassed = 30, // followed by the service's answer in words
    TestFailed = 31, // followed by the problem in words
    TestNoReading = 32,
    PrefSecretsKept = 33,
};
constexpr int kMapTextCount = 33;

// The text in the loaded language, or the built-in French one. Main thread.
std::string GetMapText(MapText t);

// Every text at once, for the upload thread, which may not read the language file.
struct MapTexts {
    std::array<std::string, kMapTextCount> texts;
    static MapTexts Current(); // main thread
    static MapTexts BuiltIn();
    const std::string& operator[](MapText t) const { return texts[static_cast<size_t>(t) - 1]; }
};

// `text` with its first "%s" replaced by `a`, the next by `b`. By hand: a translated text is
// not a format string we may trust.
std::string FillIn(std::string text, const std::string& a, const std::string& b = "");

} // namespace zel
