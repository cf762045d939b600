#include <new>

#include "gammascout/dump_common.h"
#include "settings/journal.h"

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

bool HasByteOrderMark(std::string_view b) {
    return b.substr(0, 3) == "\xEF\xBB\xBF" || b.substr(0, 2) == "\xFF\xFE" ||
           b.substr(0, 2) == "\xFE\xFF";
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

TextList PrepareDumpLines(const TextList& raw) {
    TextList lines;
    for (std::string s : raw) {
        SupprimeParite(s);
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

TextList DumpFileLines(std::string_view bytes) {
    // A transcript saved by a terminal program at 8 data bits from a counter sending 7 bits and
    // even parity has the parity in bit 7 of half its characters, carriage returns included: it
    // is cleared before the text is split into lines, as the live line does.
    std::string text = HasByteOrderMark(bytes) ? DecodeText(bytes) : std::string(bytes);
    SupprimeParite(text);
    TextList raw;
    SplitLines(text, raw);
    return PrepareDumpLines(raw);
}

bool IsDumpLine(const std::string& line) {
    size_t digits = 0;
    for (char c : line) {
        if (IsHexDigit(c))
            ++digits;
        else if (c != ' ' && c != '\t')
            return false;
    }
    return digits >= 2;
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
