// Operations on capture lists: reading a record, appending, prepending, loading a file,
// merging two lists, the display window, loading a capture file with its counter's settings.
#include "records/capture.h"

#include <cerrno>
#include <utility>

#include "model/model.h"
#include "records/counter.h"
#include "settings/config.h"

namespace zel {

TCaptureList F_Capture;
TCaptureList F_Fichier;
TCaptureList F_DownLoad;

bool LireValeurCSV(const TCaptureList& F, int32_t Nin, TDateTime& T, int32_t& Duree,
                   int32_t& Comptage) {
    T = 0;
    Duree = 0;
    Comptage = 0;
    if (Nin < 1 || static_cast<size_t>(Nin) > F.size()) return false;
    const auto& r = F[static_cast<size_t>(Nin - 1)];
    T = r.T;
    Duree = r.Duree;
    Comptage = r.Comptage;
    return r.Valide;
}

bool AjoutValeurCSV(TCaptureList& F, TDateTime T, int32_t Duree, int32_t Comptage) {
    // The last line as read back: its date has whole seconds, so a record a fraction of a
    // second after it is still newer.
    const bool empty = F.empty() || F.back().T == 0;
    if (!empty && DateMs(T) <= F.back().ms) return false;
    F.push_back(FormatLigneCSV(T, Duree, Comptage));
    return true;
}

bool InsertDebutValeurCSV(TCaptureList& F, TDateTime T, int32_t Duree, int32_t Comptage) {
    const bool empty = F.empty() || F.front().T == 0;
    if (!empty && DateMs(T) >= F.front().ms) return false;
    F.push_front(FormatLigneCSV(T, Duree, Comptage));
    return true;
}

bool CreationFichierCSV(TCaptureList& F, const std::string& Nom) {
    int err = 0;
    if (F.load(Nom, &err)) {
        F.drop_trailing_blanks();
        return true;
    }
    F.clear();
    // Only a missing file is created: one that exists but cannot be read is left as it is
    // rather than replaced by an empty one.
    if (err != ENOENT && FileExists(Nom)) return false;
    return F.save(Nom);
}

namespace {

using Entry = TCaptureList::Entry;

// Removes every record that starts inside the period of the record before it, up to the first
// line that is not a record.
void remove_overlaps(std::deque<Entry>& in) {
    const size_t n = in.size();
    size_t kept = 1, k = 1; // in[0, kept) is the result so far
    while (k < n && in[kept - 1].Valide && in[k].Valide) {
        const Entry& prev = in[kept - 1];
        const int64_t period_end = prev.ms + (static_cast<int64_t>(prev.Duree) - 1) * 1000;
        if (period_end <= in[k].ms) {
            if (kept != k) in[kept] = in[k];
            ++kept;
        }
        ++k;
    }
    if (n == 0 || kept == k) return;
    while (k < n)
        in[kept++] = in[k++];
    in.resize(kept);
}

} // namespace

void CombineCSV(const TCaptureList& FinArg, TCaptureList& Finout) {
    // Merging a list into itself reads from a copy (cheap: the line texts are shared).
    TCaptureList self_copy;
    const TCaptureList* fin = &FinArg;
    if (&FinArg == &Finout) {
        self_copy = FinArg;
        fin = &self_copy;
    }
    const auto& in = fin->entries_;

    // One forward pass. The lines of Finout before the cursor j are final (`done`); at j stand
    // the records of Fin just inserted there (`at_j`, the latest on top), then the rest of
    // Finout from `k`, then the records sent to the end behind an unreadable line (`tail`).
    std::deque<Entry> orig;
    orig.swap(Finout.entries_);
    std::deque<Entry> done, tail;
    std::vector<Entry> at_j;
    size_t k = 0;
    auto advance_j = [&] {
        if (!at_j.empty()) {
            done.push_back(at_j.back());
            at_j.pop_back();
        } else {
            done.push_back(orig[k++]);
        }
    };
    for (size_t i = 0; i < in.size();) {
        const Entry& fi = in[i];
        if (!fi.Valide) {
            ++i;
            continue;
        }
        if (at_j.empty() && k == orig.size()) { // j past the last line
            at_j.push_back(fi);
            ++i;
            continue;
        }
        const Entry& fj = at_j.empty() ? orig[k] : at_j.back();
        if (at_j.empty() && IsBlankCaptureLine(fj.line())) {
            ++k; // a blank line of Finout at the cursor is dropped
            continue;
        }
        if (!fj.Valide) {
            tail.push_back(fi);
            ++i;
            continue;
        }
        if (fi.ms == fj.ms) {
            ++i;
        } else if (fi.ms < fj.ms) {
            at_j.push_back(fi);
            ++i;
        } else {
            advance_j();
        }
    }
    while (!at_j.empty())
        advance_j();
    while (k < orig.size())
        done.push_back(orig[k++]);
    for (auto& e : tail)
        done.push_back(e);

    remove_overlaps(done);
    Finout.entries_.swap(done);

    // Finout now points into Fin's blocks as well.
    if (fin != &Finout) {
        auto& blocks = Finout.blocks_;
        for (const auto& b : fin->blocks_) {
            bool known = false;
            for (const auto& own : blocks)
                if (own == b) {
                    known = true;
                    break;
                }
            if (!known) blocks.push_back(b);
        }
    }
}

bool MetAJourDate(const TCaptureList& F) {
    if (F.empty()) return true;
    const auto& first = F.front();
    const auto& last = F.back();
    if (!first.Valide || !last.Valide) return false;
    TDateTime deb = first.T, fin = last.T;
    if (first.ms > last.ms) std::swap(deb, fin);
    if (deb == 0) deb = Now();
    if (fin == 0) fin = Now();
    bool changed = false;
    if (DateMs(deb) != DateMs(Fichier_conf.date_deb)) {
        Fichier_conf.date_deb = deb;
        Principal.date_debut = deb;
        changed = true;
    }
    if (DateMs(fin) != DateMs(Fichier_conf.date_fin)) {
        Fichier_conf.date_fin = fin;
        Principal.date_fin = fin;
        changed = true;
    }
    if (changed) ModelChanged(ModelWindow::Main);
    return true;
}

CaptureFileLoad LoadCaptureFile(const std::string& Nom, TCaptureList& F) {
    CaptureFileLoad r;
    TCaptureList lines;
    if (!FileExists(Nom) || !lines.load(Nom)) return r;
    // Editors and older tools leave a blank line at the end; it is no record and no fault.
    lines.drop_trailing_blanks();
    size_t records = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Valide)
            ++records;
        else if (r.line == 0)
            r.line = static_cast<int32_t>(i + 1);
    }
    const bool conf = LireConfCompteur(Nom, r.FC, r.Compteur);
    r.conf = CounterConfFileFor(Nom);
    F = std::move(lines);
    // What is not a capture file at all (a configuration, a report) is told as such, before any
    // of its lines is blamed.
    if (records == 0)
        r.status = Fichier_Vide;
    else if (r.line != 0)
        r.status = Pb_Fichier_Log;
    else if (!conf)
        r.status = pb_conf_compteur;
    else
        r.status = PasErreur;
    if (r.status != Pb_Fichier_Log) r.line = 0;
    return r;
}

std::string LoadFailureText(const std::string& Nom, const CaptureFileLoad& r) {
    switch (r.status) {
    case PasErreur:
        return {};
    case Pb_ouvrir_fichier:
        return GetMessagePgm(Pb_ouvrir_fichier) + Nom;
    case Pb_Fichier_Log:
        return GetMessagePgm(Pb_Fichier_Log) + ": " + Nom + ":" + std::to_string(r.line);
    case pb_conf_compteur:
        return GetMessagePgm(pb_conf_compteur) + ": " + Nom +
               (r.conf.empty() ? std::string() : ", " + r.conf);
    default:
        return GetMessagePgm(r.status) + ": " + Nom;
    }
}

bool ChargeDonnees(TCaptureList& F_Temp, const std::string& Nom, erreur_programme& Status,
                   std::string* Pourquoi) {
    // Read aside: a file that does not open leaves the viewed one and its settings as they were.
    TCaptureList lines;
    const CaptureFileLoad r = LoadCaptureFile(Nom, lines);
    Status = r.status;
    if (r.status != PasErreur) {
        if (Pourquoi) *Pourquoi = LoadFailureText(Nom, r);
        return false;
    }
    F_Temp = std::move(lines);
    Fichier_conf.conversion_sievert_Fichier = r.FC;
    Fichier_conf.type_compteur_Fichier = r.Compteur;
    Fichier_conf.Fichier_CSV = Nom;
    return true;
}

} // namespace zel
