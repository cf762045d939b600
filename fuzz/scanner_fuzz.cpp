// The scanner readers on arbitrary lines, chained in an order the input chooses.
#include <cstdlib>

#include "fuzz_common.h"
#include "scan/scanner.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first bytes choose the readers, up to the first 0xFF; the rest is the line.
    size_t nops = 0;
    while (nops < size && nops < 16 && data[nops] != 0xFF)
        ++nops;
    const size_t lineAt = nops < size ? nops + 1 : size;
    TAnalSynt V;
    V.SSynt.assign(reinterpret_cast<const char*>(data) + lineAt, size - lineAt);
    SyntInit(V);
    const auto end = static_cast<int32_t>(V.SSynt.size()) + 1;
    for (size_t i = 0; i < nops; ++i) {
        const uint8_t op = data[i];
        std::string s;
        uint32_t w = 0;
        int32_t n = 0;
        double r = 0;
        TDateTime t = 0;
        switch (op % 16) {
        case 0:
            SyntSkipBlank(V);
            break;
        case 1:
            (void)SyntIsBlank(V);
            break;
        case 2:
            (void)SyntEnd(V);
            break;
        case 3:
            (void)SyntChar(V);
            break;
        case 4:
            (void)SyntInc(V);
            break;
        case 5:
            (void)SyntSep(V, static_cast<char>(op >> 4 ? ";,:=./-"[(op >> 4) % 7] : ' '));
            break;
        case 6:
            (void)SyntIdent(V, (op >> 4) % 2 ? "VP" : "Version");
            break;
        case 7:
            (void)SyntDonneIdent(V, s);
            break;
        case 8:
            (void)SyntText(V, s);
            break;
        case 9:
            (void)SyntWord(V, w);
            break;
        case 10:
            (void)SyntInt(V, n);
            break;
        case 11:
            (void)SyntHex(V, n);
            break;
        case 12:
            (void)SyntReal(V, r);
            break;
        case 13:
            (void)SyntDateTime(V, t, 2);
            break;
        case 14:
            (void)SyntDateTime(V, t, 1);
            break;
        case 15:
            s = SyntRest(V);
            break;
        }
        // A reader never moves the cursor before the line or more than one past its end.
        if (V.ISynt < 1 || V.ISynt > end) std::abort();
    }
    return 0;
}
