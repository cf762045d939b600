// Capture lines as any file may hold them: every record read, then the two halves of the input
// merged both ways and the result checked for order.
#include <cstdlib>

#include "fuzz_common.h"
#include "records/capture.h"

using namespace zel;

namespace {

void ReadAll(const TCaptureList& F) {
    TDateTime t;
    int32_t d, c;
    for (int32_t i = 0; i <= static_cast<int32_t>(F.size()) + 1; ++i)
        (void)LireValeurCSV(F, i, t, d, c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view all = fuzz::Bytes(data, size);
    // A 0 byte, when present, separates the two files; otherwise the input is cut in half.
    size_t cut = all.find('\0');
    const size_t skip = cut == std::string_view::npos ? 0 : 1;
    if (cut == std::string_view::npos) cut = size / 2;
    TCaptureList a, b;
    a.assign_text(DecodeText(all.substr(0, cut)));
    b.assign_text(DecodeText(all.substr(cut + skip)));
    ReadAll(a);
    ReadAll(b);

    TCaptureList ab = b;
    CombineCSV(a, ab);
    ReadAll(ab);
    CombineCSV(ab, ab); // the same list on both sides
    CombineCSV(b, a);
    ReadAll(a);

    // Appending keeps the dates increasing.
    TCaptureList grown;
    for (const auto& e : ab)
        if (e.Valide) (void)AjoutValeurCSV(grown, e.T, e.Duree, e.Comptage);
    for (size_t i = 1; i < grown.size(); ++i)
        if (grown[i].Valide && grown[i - 1].Valide && grown[i].ms <= grown[i - 1].ms) std::abort();
    (void)grown.text();
    return 0;
}
