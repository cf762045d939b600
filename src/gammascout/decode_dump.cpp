#include <new>

#include "gammascout/dump_common.h"

namespace zel {

namespace {

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// "GAMMA", "-", "SCOUT" and the word "Protokoll", blanks allowed between them.
bool IsDumpHeader(const std::string& line) {
    size_t i = 0;
    auto word = [&](const std::string& w) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (line.compare(i, w.size(), w) != 0) return false;
        i += w.size();
        return true;
    };
    return word("GAMMA") && word("-") && word("SCOUT") && word("Protokoll");
}

} // namespace

TextList PrepareDumpLines(const TextList& raw) {
    TextList lines;
    for (std::string s : raw) {
        for (char& c : s)
            c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
        size_t b = 0, e = s.size();
        while (b < e && IsTrimmed(s[b]))
            ++b;
        while (e > b && IsTrimmed(s[e - 1]))
            --e;
        if (b == e) continue;
        s = s.substr(b, e - b);
        if (IsDumpHeader(s)) {
            lines.clear();
            continue;
        }
        lines.push_back(std::move(s));
    }
    return lines;
}

int ChooseDumpDecoder(double Version_GS, erreur_programme& refusal) {
    if (Version_GS == 0) {
        refusal = gs_Version_erreur;
        return 0;
    }
    if (Version_GS <= 5.43) return 1;
    if (Version_GS <= 6.016) return 2;
    if (Version_GS < 6.9) return 3;
    if (Version_GS >= 7.01 && Version_GS <= 7.1) return 4;
    refusal = gs_version_non_supportee;
    return 0;
}

DumpResult DecodeDump(const TextList& Dump, const DumpInput& in) {
    DumpResult out;
    out.serie = in.serie;
    out.EEPROM = in.EEPROM;
    using Decoder = erreur_programme (*)(const TextList&, const DumpInput&, DumpResult&);
    static const Decoder decoders[] = {Trt_dump_GammaScout_V1, Trt_dump_GammaScout_V2,
                                       Trt_dump_GammaScout_V3, Trt_dump_GammaScout_V4};
    erreur_programme refusal = gs_erreur_interne;
    const int version = ChooseDumpDecoder(in.Version_GS, refusal);
    if (version == 0) {
        out.status = refusal;
        return out;
    }
    try {
        out.status = decoders[version - 1](Dump, in, out);
    } catch (const DumpFault&) {
        out.status = gs_erreur_interne;
    } catch (const std::bad_alloc&) { // a log size no counter has
        out.status = gs_erreur_interne;
    }
    return out;
}

} // namespace zel
