#pragma once
// Helpers shared by the fuzz targets: a scratch directory on a memory file system standing for
// the program's directories, and the fuzzer's bytes written where a reader looks for its file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

#include "base/textfile.h"

namespace zel::fuzz {

// One scratch directory per fuzzing process, ending in "/".
inline const std::string& ScratchDir() {
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string tmpl = std::string(base) + "/zel_fuzz_XXXXXX";
        if (!mkdtemp(tmpl.data())) std::abort();
        return tmpl + "/";
    }();
    return dir;
}

// Writes the bytes as they are (no conversion, no atomic replacement: speed matters here).
inline void WriteRaw(const std::string& path, std::string_view bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    std::fclose(f);
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The bytes as text lines, the way the program reads a text file.
inline TextList Lines(std::string_view bytes) {
    TextList lines;
    SplitLines(DecodeText(bytes), lines);
    return lines;
}

} // namespace zel::fuzz
