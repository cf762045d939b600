#include <gtest/gtest.h>

#include <string>

#include "net/map_texts.h"
#include "settings/config.h"
#include "settings/language.h"

namespace zel {
namespace {

struct ShippedLanguage {
    ShippedLanguage() { Repertoire_langues = std::string(ZEL_SOURCE_DIR) + "/langages/"; }
    ~ShippedLanguage() { UseBuiltInTexts(); }
};

// The French file says what the built-in texts say; the English one has every text in English.
TEST(MapTexts, ShippedFilesHaveEveryTextFrenchAsBuiltIn) {
    ShippedLanguage shipped;
    const MapTexts builtIn = MapTexts::BuiltIn();
    ASSERT_TRUE(ChargeFichierLangue("FR Français"));
    const MapTexts fr = MapTexts::Current();
    for (int i = 1; i <= kMapTextCount; ++i) {
        std::string t;
        EXPECT_TRUE(DonneTexteLangue(TextesCartes, i, t)) << i;
        EXPECT_EQ(fr[static_cast<MapText>(i)], builtIn[static_cast<MapText>(i)]) << i;
    }
    ASSERT_TRUE(ChargeFichierLangue("EN English"));
    const MapTexts en = MapTexts::Current();
    for (int i = 1; i <= kMapTextCount; ++i) {
        const auto t = static_cast<MapText>(i);
        EXPECT_FALSE(en[t].empty()) << i;
        // The names of the coordinates are the same words in both languages.
        if (t != MapText::PrefLatitude && t != MapText::PrefLongitude) {
            EXPECT_NE(en[t], builtIn[t]) << i;
        }
        // Every "%s" of the French text has its place in the English one.
        const auto count = [](const std::string& s) {
            size_t n = 0;
            for (size_t p = s.find("%s"); p != std::string::npos; p = s.find("%s", p + 2))
                ++n;
            return n;
        };
        EXPECT_EQ(count(en[t]), count(builtIn[t])) << i;
    }
    EXPECT_EQ(FillIn(en[MapText::NoAnswer], "radmon.org", "20"),
              "no answer from radmon.org within 20 s");
}

TEST(MapTexts, FillInTakesTheTextAsItIs) {
    EXPECT_EQ(FillIn("a %s b %s c %s", "1", "2"), "a 1 b 2 c %s");
    EXPECT_EQ(FillIn("%s", "%s", "x"), "%s"); // a value is never filled in again
    EXPECT_EQ(FillIn("no place", "1"), "no place");
}

} // namespace
} // namespace zel
