#pragma once
// Decoding of a Gamma Scout memory dump (log versions 1 to 4) into a report file and dated
// records of the counter's download file.
//
// The decoding proper is a pure function of the dump lines and a few inputs (DecodeDump); the
// effects on the program's state (the parameter dialog texts, the counter's serial number,
// F_DownLoad, the report and download files) are applied afterwards on the main thread.
//
// How the session uses it, on its own thread, when the silence after a dump has ended it:
//
//     Trt_log(GetMessagePgm(FinDump), false);
//     const erreur_programme st = Trt_dump_GammaScout(dump); // F_Dump, taken on the main thread
//     Trt_log(GetMessagePgm(st), false);
//
// Trt_dump_GammaScout reads its inputs and applies its results through
// MainThread().runOnMainAndWait, so the main thread must keep serving such calls meanwhile (it
// does: the session's callers wait with processEvents). Called on the main thread (the command
// line, tests) everything runs inline.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/textfile.h"
#include "settings/messages.h"

namespace zel {

// What a decoding reads besides the dump lines, taken once when it starts.
struct DumpInput {
    double Version_GS = 0; // firmware version of the connected counter, 0 when unknown
    std::string version;   // the parameter dialog's texts
    std::string serie;
    std::string EEPROM;  // number of log bytes (versions 3 and 4 read it)
    TDateTime now = 0;   // dates the report lines before the first date record; the century
    char time_sep = ':'; // regional separators of the report's dates and dose column
    char decimal_sep = '.';
};

// One counting interval, as offered to the download capture list.
struct DumpRecord {
    TDateTime T = 0;      // interval start
    int32_t Duree = 0;    // seconds
    int32_t Comptage = 0; // counts in the interval
};

struct DumpResult {
    // gs_no_error here means: walk complete, report ready to be written and download to be
    // merged. Any other value is final.
    erreur_programme status = gs_erreur_interne;

    // The dialog texts after decoding. Versions 1 and 2 replace serie (and the serial number)
    // once the log header is read, and EEPROM once its end pointer has passed its check.
    std::string serie;
    std::string EEPROM;
    bool serieRead = false;
    bool eepromRead = false;
    uint32_t Serial = 0;

    // The walk has started: the download capture "gs_" + serie + ".txt" is to be opened and
    // `records` offered to it, whatever the final status.
    bool walked = false;
    std::vector<DumpRecord> records;
    // Counts met before the first date record: reported, but with no date of their own they
    // are not records (dated "now", they would make every dated record look older).
    int32_t undated = 0;

    TextList report;        // the report lines (complete when status is gs_no_error)
    std::string reportName; // its file name, without directory
};

// Dump lines as the session keeps them from a saved transcript: parity bits cleared, blanks
// trimmed, empty lines dropped. When a "GAMMA-SCOUT Protokoll" header line is present, only the
// lines after the last one are kept (what preceded it was not part of the dump).
TextList PrepareDumpLines(const TextList& raw);

// The dump lines of a saved transcript, from the bytes of its file: bit 7 cleared before the
// lines are split (a file with a byte-order mark is first read in the encoding it names), then
// prepared as above.
TextList DumpFileLines(std::string_view bytes);

// A line of hexadecimal digits (blanks allowed between them), as every dump form has.
bool IsDumpLine(const std::string& line);

// Which decoder a firmware version selects: 1 to 4, or 0 with the refusal in `refusal`.
int ChooseDumpDecoder(double Version_GS, erreur_programme& refusal);

// Decodes the dump without touching any state of the program.
DumpResult DecodeDump(const TextList& Dump, const DumpInput& in);

// The inputs as the program holds them now (configuration, parameter dialog, clock, regional
// settings). Main thread.
DumpInput CurrentDumpInput();

// Applies a decoding to the program: dialog texts and serial number, F_DownLoad, report file,
// download file. Returns the final status. Main thread.
erreur_programme ApplyDumpResult(const DumpResult& r);

// Decodes a finished download: inputs and effects go through the main thread, the decoding
// itself runs on the calling thread. Returns the status to journal.
erreur_programme Trt_dump_GammaScout(const TextList& Dump);

// The report file of the last download decoded in this run (empty before the first). Main thread.
const std::string& LastDownloadReport();

} // namespace zel
