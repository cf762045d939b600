#pragma once
// Pieces the log decoders share: character and BCD conversions, the count word, the log bytes,
// the two dump text forms, and the record walk that dates counts and builds the report.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "gammascout/gamma_scout.h"

namespace zel {

// µSv/h per count per minute of the Gamma Scout tube; a constant of the report.
constexpr double GammaScoutDoseFactor = 0.0081208;

// Value of one hexadecimal character, -1 when it is none. Deliberately lenient, as dumps have
// always been read: 'a'..'z' are upper-cased, then anything from 'A' up gives code - 55 and
// '0'..'@' code - 48; a pair above 255 is caught by HexPair.
int CharToHex(char32_t Cin);
// Two characters as one byte (first the high nibble); false when either is not a digit or the
// value is above 255.
bool HexPair(char hi, char lo, uint8_t& b);

// BCD byte: high nibble x 10 + low nibble (nibbles above 9 are taken as they are).
uint16_t BCDToWordBig(uint8_t C);

// Count word: 5-bit exponent, 11-bit mantissa. False when the count does not fit in int32.
bool DecodeCount(uint16_t Valeur, int32_t& count);

// A fault the record layout does not name (a read past the buffer, a bad hexadecimal digit, an
// arithmetic overflow). It never leaves DecodeDump, which turns it into gs_erreur_interne.
struct DumpFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The dump bytes: TailleBuffer bytes that the text may fill, plus one zero byte after them.
class LogBytes {
  public:
    explicit LogBytes(int64_t TailleBuffer);
    int64_t TailleBuffer() const { return taille_; }
    int64_t Filled() const { return filled_; }
    bool Full() const { return filled_ >= taille_; }
    // Stores at the next position; dropped when full.
    void Push(uint8_t b) {
        if (filled_ < taille_) buf_[static_cast<size_t>(filled_++)] = b;
    }
    // A read beyond the buffer is a DumpFault.
    uint8_t operator[](int64_t i) const {
        if (i < 0 || i > taille_) throw DumpFault("read beyond the dump buffer");
        return buf_[static_cast<size_t>(i)];
    }

  private:
    std::vector<uint8_t> buf_;
    int64_t taille_;
    int64_t filled_ = 0;
};

// Versions 1 and 2: every line's pairs in order, from the first character, into B until it is
// full. A line of the old firmware's form, a 4-digit address then blank-separated pairs, gives
// its pairs. A bad digit is a DumpFault.
void ReadPlainLines(const TextList& Dump, LogBytes& B);

// Versions 3 and 4: each line holds data pairs then a checksum pair (sum of its data bytes
// modulo 256). The data go into B until it is full; the checksum covers the whole line.
// Returns gs_erreur_checksum on a mismatch, PasErreur otherwise; a line shorter than one pair
// or a bad digit is a DumpFault.
erreur_programme ReadChecksumLines(const TextList& Dump, LogBytes& B);

// Versions 3 and 4: the log size from the dialog's EEPROM text. gs_Taille_erreur when it holds
// no integer or one beyond 16 bits, gs_erreur_fichier_vide when the dump or the log is empty.
erreur_programme ReadLogSize(const TextList& Dump, const std::string& EEPROM, int32_t& size);
// The buffer of versions 3 and 4: the size rounded up by one 32-byte line when not aligned.
int64_t ChecksumBufferSize(int32_t size);

// The record walk: the clock that dates each count, the report lines and the records.
// Creating it marks the result as walked and writes the report header.
class DumpWalk {
  public:
    DumpWalk(const DumpInput& in, DumpResult& out);

    // Length in seconds of the counting intervals that follow.
    void Interval(int32_t seconds) { Intervalle_ = seconds; }
    // Text appended to the next report line (replaces an earlier one).
    void Annotate(std::string text) { annotation_ = std::move(text); }
    // A date record, from its BCD bytes; the year byte is within the current century.
    // gs_erreur_date when no such date or time exists.
    erreur_programme Date(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                          uint8_t second = 0);
    // A count record. gs_erreur_date when the interval is 0 s; an overflow is a DumpFault.
    erreur_programme Count(uint16_t Valeur);
    // End of the log: gs_Date_Absente without any date record, else gs_no_error with the
    // report's file name set.
    erreur_programme Finish();

  private:
    const DumpInput& in_;
    DumpResult& out_;
    // Clock in whole milliseconds since day 0: thousands of added intervals stay exact.
    int64_t DateHeure_;
    int64_t DateDeb_ = 0;
    int64_t DateFin_ = 0;
    bool DateDebInit_ = false;
    int32_t Intervalle_ = 10;
    std::string annotation_;
    int century_;
};

// Single-byte record codes of versions 1 and 2.
struct SingleByteCodes {
    int32_t interval[16]; // seconds of the interval code 0xF0 + i; 0 where that byte is no code
    uint8_t overflow;     // the overflow annotation code
};
// Versions 1 and 2 share their form: a 256-byte header (serial number, end pointer), then the
// log records up to the end pointer.
erreur_programme DecodeHeaderLog(const TextList& Dump, const DumpInput& in, DumpResult& out,
                                 const SingleByteCodes& codes);

// The decoders of each log version. DecodeDump chooses one and catches their DumpFaults.
erreur_programme Trt_dump_GammaScout_V1(const TextList& Dump, const DumpInput& in, DumpResult& out);
erreur_programme Trt_dump_GammaScout_V2(const TextList& Dump, const DumpInput& in, DumpResult& out);
erreur_programme Trt_dump_GammaScout_V3(const TextList& Dump, const DumpInput& in, DumpResult& out);
erreur_programme Trt_dump_GammaScout_V4(const TextList& Dump, const DumpInput& in, DumpResult& out);

// Interval lengths of the escape-coded logs (versions 3 and 4), longest first.
inline constexpr int32_t OnlineIntervals[13] = {604800, 259200, 86400, 43200, 7200, 3600, 1800,
                                                600,    300,    120,   60,    30,   10};

// Overflow annotation of versions 1 to 3.
inline const char* const OverflowText = "   Overflow !";

} // namespace zel
