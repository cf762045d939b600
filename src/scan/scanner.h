#pragma once
// The cursor scanner through which every counter reply and every text file line is read.
// Readers return true and move past what they read, or false; callers chain them with &&.
#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace zel {

struct TAnalSynt {
    std::string SSynt;   // the line (UTF-8; only ASCII characters belong to the scanner's classes)
    int32_t ISynt = 1;   // position of the next character, from 1
    TDateTime TSynt = 0; // reception time, stamped by the session
    bool Occupe = false; // busy mark
};

void SyntInit(TAnalSynt& V);
void SyntSkipBlank(TAnalSynt& V);
bool SyntIsBlank(const TAnalSynt& V);
bool SyntEnd(TAnalSynt& V);
char SyntChar(TAnalSynt& V);
char SyntInc(TAnalSynt& V);
bool SyntSep(TAnalSynt& V, char C);
bool SyntIdent(TAnalSynt& V, const std::string& ID);
bool SyntDonneIdent(TAnalSynt& V, std::string& ID);
bool SyntText(TAnalSynt& V, std::string& S);
bool SyntWord(TAnalSynt& V, uint32_t& N);
bool SyntInt(TAnalSynt& V, int32_t& N);
bool SyntHex(TAnalSynt& V, int32_t& N);
bool SyntReal(TAnalSynt& V, double& N);
// FormatDT 2: day first (DD.MM.YY); any other value: year first.
bool SyntDateTime(TAnalSynt& V, TDateTime& T, int32_t FormatDT);

// The text from the position to the end of the line (for handlers that keep the rest as is).
std::string SyntRest(const TAnalSynt& V);

} // namespace zel
