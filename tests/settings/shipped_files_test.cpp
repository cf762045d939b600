#include "settings_fixture.h"

namespace zel::test {
namespace {

uint32_t le32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// The build puts the default alarm sound and the language files beside the programs.
TEST(ShippedFiles, AlarmSoundIsAPlayableWave) {
    std::string b;
    ASSERT_TRUE(ReadFileBytes(std::string(ZEL_BINARY_DIR) + "/bin/son/Klaxon0.wav", b));
    ASSERT_GT(b.size(), 44u);
    EXPECT_EQ(b.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(b.compare(8, 8, "WAVEfmt "), 0);
    EXPECT_EQ(le32(b, 20) & 0xFFFF, 1u); // PCM
    EXPECT_EQ(b.compare(36, 4, "data"), 0);
    EXPECT_EQ(le32(b, 40), b.size() - 44);
    // Starts and ends on silence, so looping it does not click.
    EXPECT_EQ(b[44], 0);
    EXPECT_EQ(b[45], 0);
    EXPECT_EQ(b[b.size() - 2], 0);
    EXPECT_EQ(b[b.size() - 1], 0);
}

TEST(ShippedFiles, LanguageFilesAreCopiedAsWritten) {
    // French ships too, so the preferences always offer a way back to it.
    for (const char* name : {"EN English.txt", "FR Français.txt"}) {
        std::string src, copy;
        ASSERT_TRUE(ReadFileBytes(std::string(ZEL_SOURCE_DIR) + "/langages/" + name, src)) << name;
        ASSERT_TRUE(ReadFileBytes(std::string(ZEL_BINARY_DIR) + "/bin/langages/" + name, copy))
            << name;
        EXPECT_EQ(src, copy) << name;
        EXPECT_NE(src.compare(0, 3, "\xEF\xBB\xBF"), 0) << name; // no byte-order mark
        EXPECT_TRUE(IsValidUtf8(src)) << name;
    }
}

} // namespace
} // namespace zel::test
