#pragma once
// The log report: a header and one fixed-column line per counting interval.
#include <cstdint>
#include <string>

#include "base/datetime.h"
#include "base/textfile.h"

namespace zel {

// Number right-aligned in L characters (never cut). Z = 0: rounded to an integer; Z > 0: the
// integer part, ".", and Z decimals truncated, not rounded. False when V is outside
// 0 .. 2^32 - 1.
bool FormatteValeur(double V, int32_t L, int32_t Z, std::string& S);

// The three header lines.
void ReportHeader(const std::string& serie, const std::string& version, TextList& F_Temp);

// One interval: start, end, counts, seconds, counts per minute, dose rate, annotation.
// False when a value does not fit its number format.
bool ReportLine(TDateTime DateHeure, TDateTime DateHeureTemp, int32_t count, int32_t DiffSecondes,
                const std::string& annotation, char time_sep, char decimal_sep, std::string& line);

// "gs_" + serie + "_" + first date + "_" + last interval end + ".txt", dates as
// YYYY-MM-DD_HH.NN.
std::string ReportFileName(const std::string& serie, TDateTime DateDeb, TDateTime DateFin);

} // namespace zel
