#pragma once
// Reply handler tests: a session that is not running, fed one received line at a time through
// its dispatcher, as the session thread hands lines to the main thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/regional.h"
#include "model/model.h"
#include "records/capture.h"
#include "scan/scanner.h"
#include "session/replies.h"
#include "session/session_globals.h"
#include "settings/config.h"
#include "settings/journal.h"
#include "settings/messages.h"

namespace zel::testing {

class ReplyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_replies_XXXXXX";
        dir_ = mkdtemp(tmpl);
        Repertoire_conf = dir_ + "/";
        Fichier_conf = type_fichier_conf{};
        Fichier_conf.Langue = "FR";
        F_Capture.clear();
        F_DownLoad.clear();
        F_Dump.clear();
        F_Log.clear();
        F_Erreur.clear();
        Principal.cg_info_status.clear();
        Principal.enr.clear();
        Alarme_en_cours = false;
        SetRegional(RegionalSettings{'/', ':', '.', "fr", "FR"});
        TSessionLinks links;
        links.Handlers = ReplyHandlers();
        T = std::make_unique<Tcg_thread_ES>(true, std::move(links));
        T->ReinitAutomate(Initial);
    }
    void TearDown() override {
        T.reset();
        // Other tests of this program read the same globals.
        Fichier_conf = type_fichier_conf{};
        F_Capture.clear();
        F_DownLoad.clear();
        F_Dump.clear();
        Principal.cg_info_status.clear();
        ResetRegional();
        std::filesystem::remove_all(dir_);
    }

    // The model and serial of a counter already identified.
    void Connecte(TTypeCompteur t, uint32_t serial = 1234) {
        Fichier_conf.type_compteur_Capture = t;
        Fichier_conf.Serial_Compteur = serial;
    }

    // One line received at `t`, handed to the dispatcher.
    void Recoit(const std::string& line, TDateTime t = T0) {
        T->BufR.SSynt = line;
        T->BufR.TSynt = t;
        SyntInit(T->BufR);
        T->TrtES();
    }

    // Status box lines since the last call.
    std::vector<std::string> Journal() {
        std::vector<std::string> j = Principal.cg_info_status;
        Principal.cg_info_status.clear();
        return j;
    }
    static std::string Emis(erreur_programme e) { return "-> " + GetMessagePgm(e); }
    static std::string Recu(const std::string& s) { return "<- " + s; }

    bool Existe(const std::string& name) const {
        return std::filesystem::exists(Repertoire_conf + name);
    }

    static inline const TDateTime T0 = EncodeDateTime(2024, 5, 17, 10, 23, 45);
    std::string dir_;
    std::unique_ptr<Tcg_thread_ES> T;
};

} // namespace zel::testing
