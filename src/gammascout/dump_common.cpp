#include "gammascout/dump_common.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "gammascout/dump_report.h"
#include "scan/scanner.h"

namespace zel {

int CharToHex(char32_t Cin) {
    uint32_t c = Cin;
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    if (c < '0' || c > 255) return -1;
    if (c >= 'A') return static_cast<int>(c) - 55;
    return static_cast<int>(c) - 48;
}

bool HexPair(char hi, char lo, uint8_t& b) {
    const int h = CharToHex(static_cast<unsigned char>(hi));
    const int l = CharToHex(static_cast<unsigned char>(lo));
    if (h < 0 || l < 0) return false;
    const int v = h * 16 + l;
    if (v > 255) return false;
    b = static_cast<uint8_t>(v);
    return true;
}

uint16_t BCDToWordBig(uint8_t C) {
    return static_cast<uint16_t>((C >> 4) * 10 + (C & 0x0F));
}

bool DecodeCount(uint16_t Valeur, int32_t& count) {
    const uint32_t Exposant = Valeur >> 11;
    const uint32_t Mantisse = Valeur & 0x7FFu;
    // Computed wide: a 32-bit shift would silently lose the high bits of a large count.
    const uint64_t c = static_cast<uint64_t>(Mantisse) << Exposant;
    if (c > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
    count = static_cast<int32_t>(c);
    return true;
}

LogBytes::LogBytes(int64_t TailleBuffer)
    : buf_(static_cast<size_t>(TailleBuffer) + 1, 0), taille_(TailleBuffer) {}

namespace {

uint8_t PairAt(const std::string& line, size_t i) {
    uint8_t b = 0;
    if (!HexPair(line[i], line[i + 1], b)) throw DumpFault("not a hexadecimal digit");
    return b;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool AllHex(const std::string& s, size_t from, size_t n) {
    for (size_t k = from; k < from + n; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}

// Old firmware lines: "0100 fe 02 08 ..." (a 4-digit address, then blank-separated pairs).
// Gives the positions of the pairs; false for any other line.
bool AddressLinePairs(const std::string& line, std::vector<size_t>& pairs) {
    pairs.clear();
    size_t i = 0;
    auto token = [&](size_t& start, size_t& len) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        len = i - start;
        return len > 0;
    };
    size_t s, n;
    if (!token(s, n) || n != 4 || !AllHex(line, s, n)) return false;
    while (token(s, n)) {
        if (n != 2 || !AllHex(line, s, n)) return false;
        pairs.push_back(s);
    }
    return !pairs.empty();
}

} // namespace

void ReadPlainLines(const TextList& Dump, LogBytes& B) {
    std::vector<size_t> pairs;
    for (const std::string& line : Dump) {
        if (B.Full()) return;
        if (line.find_first_of(" \t") != std::string::npos && AddressLinePairs(line, pairs)) {
            for (size_t p : pairs) {
                if (B.Full()) return;
                B.Push(PairAt(line, p));
            }
            continue;
        }
        // A pair is read while its first character is not the line's last one.
        for (size_t i = 0; i + 1 < line.size(); i += 2) {
            if (B.Full()) return;
            B.Push(PairAt(line, i));
        }
    }
}

erreur_programme ReadChecksumLines(const TextList& Dump, LogBytes& B) {
    for (const std::string& line : Dump) {
        if (line.size() < 2) throw DumpFault("dump line without checksum");
        const size_t data_end = line.size() - 2;
        uint8_t sum = 0;
        // Every data pair counts in the checksum, also those past the room of the buffer: a
        // line is sound or not by itself.
        for (size_t i = 0; i < data_end; i += 2) {
            const uint8_t b = PairAt(line, i);
            sum = static_cast<uint8_t>(sum + b);
            B.Push(b);
        }
        if (sum != PairAt(line, data_end)) return gs_erreur_checksum;
    }
    return PasErreur;
}

namespace {
constexpr int32_t kMaxLogSize = 0xFFFF;
} // namespace

erreur_programme ReadLogSize(const TextList& Dump, const std::string& EEPROM, int32_t& size) {
    TAnalSynt V;
    V.SSynt = EEPROM;
    SyntInit(V);
    if (!SyntInt(V, size)) return gs_Taille_erreur;
    // The counters report their log size in four hexadecimal digits. A larger number comes from
    // a garbled reply, and its missing bytes would be walked as millions of empty counts.
    if (size > kMaxLogSize) return gs_Taille_erreur;
    // A negative size (a stale text from an old header) is as empty as 0.
    if (Dump.empty() || size <= 0) return gs_erreur_fichier_vide;
    return PasErreur;
}

int64_t ChecksumBufferSize(int32_t size) {
    return int64_t{size} + (size % 32 != 0 ? 32 : 0);
}

namespace {
int64_t ToMs(TDateTime t) {
    return std::llround(t * MSecsPerDay);
}
TDateTime FromMs(int64_t ms) {
    return static_cast<double>(ms) / MSecsPerDay;
}
} // namespace

DumpWalk::DumpWalk(const DumpInput& in, DumpResult& out)
    : in_(in), out_(out), DateHeure_(ToMs(in.now)),
      century_(DecodeDateTime(in.now).year / 100 * 100) {
    out_.walked = true;
    ReportHeader(out_.serie, in_.version, out_.report);
}

erreur_programme DumpWalk::Date(uint8_t year, uint8_t month, uint8_t day, uint8_t hour,
                                uint8_t minute, uint8_t second) {
    TDateTime t = 0;
    if (!TryEncodeDateTime(century_ + BCDToWordBig(year), BCDToWordBig(month), BCDToWordBig(day),
                           BCDToWordBig(hour), BCDToWordBig(minute), BCDToWordBig(second), 0, t))
        return gs_erreur_date;
    DateHeure_ = ToMs(t);
    if (!DateDebInit_) {
        DateDeb_ = DateHeure_;
        DateDebInit_ = true;
    }
    return PasErreur;
}

erreur_programme DumpWalk::Count(uint16_t Valeur) {
    int32_t count = 0;
    if (!DecodeCount(Valeur, count)) throw DumpFault("count beyond 32 bits");
    const int64_t end = DateHeure_ + int64_t{Intervalle_} * 1000;
    const TDateTime start = FromMs(DateHeure_);
    const TDateTime stop = FromMs(end);
    const auto DiffSecondes = static_cast<int32_t>(SecondsBetween(stop, start));
    if (DiffSecondes == 0) return gs_erreur_date;
    DateFin_ = end;
    std::string line;
    if (!ReportLine(start, stop, count, DiffSecondes, annotation_, in_.time_sep, in_.decimal_sep,
                    line))
        throw DumpFault("value outside the report's number range");
    out_.report.push_back(std::move(line));
    if (DateDebInit_)
        out_.records.push_back(DumpRecord{start, DiffSecondes, count});
    else
        ++out_.undated;
    DateHeure_ = end;
    annotation_.clear();
    return PasErreur;
}

erreur_programme DumpWalk::Finish() {
    if (!DateDebInit_) return gs_Date_Absente;
    out_.reportName = ReportFileName(out_.serie, FromMs(DateDeb_), FromMs(DateFin_));
    return gs_no_error;
}

} // namespace zel
