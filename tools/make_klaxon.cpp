// Writes the default alarm sound: a two-tone horn, 16-bit mono PCM, about one second, made to
// loop without a click (it starts and ends on silence).
//   make_klaxon <output.wav>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v & 0xFFFF));
    put16(b, static_cast<uint16_t>(v >> 16));
}
void putTag(std::vector<uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(tag[i]));
}

// One horn note: a fundamental with odd harmonics (a soft square), faded in and out.
void note(std::vector<int16_t>& s, double freq, double seconds) {
    const size_t n = static_cast<size_t>(seconds * kRate);
    const size_t fade = kRate / 100; // 10 ms
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0;
        for (int h = 1; h <= 7; h += 2)
            v += std::sin(2 * kPi * freq * h * t) / h;
        double env = 1.0;
        if (i < fade) env = static_cast<double>(i) / fade;
        if (n - i <= fade) env = static_cast<double>(n - i - 1) / fade;
        s.push_back(static_cast<int16_t>(std::lround(v * env * 0.55 * 32767 / 1.2)));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_klaxon <output.wav>\n");
        return 2;
    }
    std::vector<int16_t> samples;
    for (int k = 0; k < 2; ++k) {
        note(samples, 440.0, 0.25);
        note(samples, 349.2, 0.25);
    }

    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> b;
    putTag(b, "RIFF");
    put32(b, 36 + dataBytes);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1); // PCM
    put16(b, 1); // mono
    put32(b, kRate);
    put32(b, kRate * 2);
    put16(b, 2);
    put16(b, 16);
    putTag(b, "data");
    put32(b, dataBytes);
    for (int16_t v : samples)
        put16(b, static_cast<uint16_t>(v));

    // Written beside the target and renamed, so a failed run never leaves half a file.
    const std::string out = argv[1];
    const std::string tmp = out + ".part";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::perror(tmp.c_str());
        return 1;
    }
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    if (std::fclose(f) != 0 || !ok || std::rename(tmp.c_str(), out.c_str()) != 0) {
        std::perror(out.c_str());
        std::remove(tmp.c_str());
        return 1;
    }
    return 0;
}
