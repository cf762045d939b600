#pragma once
// Capture lists: dated count records, one text line each ("YYYY/MM/DD HH:NN:SS;Duree;Comptage"),
// in increasing date order, kept in memory and stored as text files of the same lines.
//
// A list keeps every line's text (what the files hold) and, beside it, the record parsed once
// when the line entered the list. Appending, reading the first or last record, merging and the
// statistics work on the parsed values and never re-read a line.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/textfile.h"
#include "settings/counter_type.h"
#include "settings/messages.h"

namespace zel {

// Values of Fichier_conf.Source: what the statistics and the history chart show.
constexpr int32_t CFICHIER = 0; // the viewed file F_Fichier
constexpr int32_t CCAPTURE = 1; // the live capture F_Capture
// Bound on counts per minute used by the statistics.
constexpr int32_t CDebord = 9999;

// One record as read from its line. A line that does not read as a whole record has
// Valide false; what was read before the failing field is kept (a line holding only a date
// keeps T), everything else is 0.
struct TCaptureRecord {
    TDateTime T = 0;
    int32_t Duree = 0;    // seconds covered by the record
    int32_t Comptage = 0; // the count
    bool Valide = false;  // date, period and count all read
};

// Reads one record line (trimmed; "/", "." or "-" in the date; seconds optional; a two-digit
// year in the current century; anything after the count ignored).
bool LireLigneCSV(std::string_view line, TCaptureRecord& R);
// The line of a record: the date with the regional date separator ("/" when the region's is not
// one of "/", "." or "-") and ":" between the time fields, ";", Duree, ";", Comptage.
std::string FormatLigneCSV(TDateTime T, int32_t Duree, int32_t Comptage);
// True when the line is empty once trimmed.
bool IsBlankCaptureLine(std::string_view s);
// A date in whole milliseconds, monotonic in the date: records are compared to the millisecond.
int64_t DateMs(TDateTime T);

class TCaptureList {
  public:
    // One line and its parsed record.
    struct Entry : TCaptureRecord {
        int64_t ms = 0; // DateMs(T)
        const char* text = nullptr;
        uint32_t len = 0;
        std::string_view line() const { return {text, len}; }
    };

    TCaptureList() = default;
    TCaptureList(const TCaptureList& other);
    TCaptureList& operator=(const TCaptureList& other);
    TCaptureList(TCaptureList&& other) noexcept;
    TCaptureList& operator=(TCaptureList&& other) noexcept;

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Index from 0. The views stay valid until the list is cleared, replaced or destroyed.
    std::string_view line(size_t i) const { return entries_[i].line(); }
    const Entry& operator[](size_t i) const { return entries_[i]; }
    const Entry& front() const { return entries_.front(); }
    const Entry& back() const { return entries_.back(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    void clear();
    // Each line is parsed once, here. Appending and prepending cost the same on any length.
    void push_back(std::string_view line);
    void push_front(std::string_view line);
    void insert(size_t i, std::string_view line);
    void erase(size_t i);
    void pop_back() { entries_.pop_back(); }

    // Replaces the content.
    void assign(const TextList& lines);
    // Replaces the content by the lines of a text (CR, LF or CR LF end a line).
    void assign_text(std::string text);

    TextList lines() const;
    // Every line followed by CR LF: the bytes of the file.
    std::string text() const;

    // Reads a text file into the list (content replaced only on success).
    bool load(const std::string& path, int* err = nullptr);
    // Removes the blank lines at the end (those inside stay).
    void drop_trailing_blanks();
    // Replaces the file atomically with the lines.
    bool save(const std::string& path, int* err = nullptr) const;

  private:
    friend void CombineCSV(const TCaptureList& Fin, TCaptureList& Finout);
    Entry make_entry(std::string_view line);
    const char* store(std::string_view line);

    std::deque<Entry> entries_;
    // The line texts live in shared blocks whose written bytes never change: a loaded file is
    // one block, new lines are written behind the last line of this list's own tail block.
    // A copy shares the blocks it points into and opens its own tail block when it grows.
    std::vector<std::shared_ptr<std::string>> blocks_;
    char* tail_ = nullptr; // free bytes of the tail block
    size_t tail_free_ = 0;
};

// The application's capture lists (main thread, except F_DownLoad while a Gamma Scout dump is
// decoded on the session thread): live counts of the connected counter, the capture file
// opened for viewing, the records downloaded from a counter or decoded from a log.
extern TCaptureList F_Capture;
extern TCaptureList F_Fichier;
extern TCaptureList F_DownLoad;

// Record Nin (from 1). False when out of range or the line is not a whole record; the values
// read before the failing field are kept, the others are 0.
bool LireValeurCSV(const TCaptureList& F, int32_t Nin, TDateTime& T, int32_t& Duree,
                   int32_t& Comptage);
// Appends the record when the list is empty, its last date is 0, or T is later (to the ms).
bool AjoutValeurCSV(TCaptureList& F, TDateTime T, int32_t Duree, int32_t Comptage);
// Inserts the record in front when the list is empty, its first date is 0, or T is earlier.
bool InsertDebutValeurCSV(TCaptureList& F, TDateTime T, int32_t Duree, int32_t Comptage);
// Loads Nom into F without its trailing blank lines; a file that cannot be read is created
// empty (F emptied). False only when that creation failed.
bool CreationFichierCSV(TCaptureList& F, const std::string& Nom);
// Merges the records of Fin into Finout (Fin unchanged; the same list may be passed twice):
// records whose date Finout already holds are dropped, the others inserted in date order,
// then every record starting inside the period of the one before it is removed.
void CombineCSV(const TCaptureList& Fin, TCaptureList& Finout);
// The span of F becomes the display window (Fichier_conf.date_deb / date_fin and the two date
// pickers of the main window). True for an empty list (nothing changed); false when the first
// or last record does not read.
bool MetAJourDate(const TCaptureList& F);

// What reading a capture file with its counter's settings found.
struct CaptureFileLoad {
    // PasErreur; Pb_ouvrir_fichier (missing or unreadable); Fichier_Vide (no line is a record);
    // Pb_Fichier_Log (line `line` is not a record); pb_conf_compteur (records fine, no
    // counter configuration found).
    erreur_programme status = Pb_ouvrir_fichier;
    double FC = 0;                           // the counter's conversion factor, or the default
    TTypeCompteur Compteur = NotInitialized; // the counter's model, or NotInitialized
    int32_t line = 0;                        // the first line that is not a record, from 1
    std::string conf;                        // the counter configuration file looked for
};

// Reads the capture file Nom into F (trailing blank lines dropped) and the configuration of its
// counter, touching nothing else. F is replaced unless the file cannot be read.
CaptureFileLoad LoadCaptureFile(const std::string& Nom, TCaptureList& F);
// The journal text of a load that failed: the status's message and what it concerns (the line,
// the missing counter configuration file).
std::string LoadFailureText(const std::string& Nom, const CaptureFileLoad& r);

// Loads a capture file as the viewed file: on success F_Temp holds its records, Fichier_conf
// its counter's factor and model and Fichier_CSV = Nom. On failure nothing changes; Status says
// why (see CaptureFileLoad) and Pourquoi, when given, gets the journal text.
bool ChargeDonnees(TCaptureList& F_Temp, const std::string& Nom, erreur_programme& Status,
                   std::string* Pourquoi = nullptr);

} // namespace zel
