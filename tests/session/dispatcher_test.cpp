// The reply dispatcher: which handlers see a line, in which order, and what is journalled.
#include <gtest/gtest.h>

#include <stdexcept>

#include "automaton_harness.h"
#include "settings/messages.h"

using namespace zel;
using namespace zeltest;

namespace {

struct Recorder {
    std::vector<std::string> calls;
    std::string taker; // the handler that takes the line ("" none)

    TrtHandler Make(const std::string& name) {
        return [this, name](Tcg_thread_ES&) {
            calls.push_back(name);
            return name == taker;
        };
    }
    TReplyHandlers All() {
        TReplyHandlers h;
        h.Trt_Version_ALL_COUNTERS = Make("Version");
        h.Trt_DateAck_ALL_COUNTERS = Make("DateAck");
        h.Trt_CM_VORN = Make("CM");
        h.Trt_DL_VORN = Make("DL");
        h.Trt_PC_VORN = Make("PC");
        h.Trt_CF_VORN = Make("CF");
        h.Trt_ID_VORN = Make("ID");
        h.Trt_Mode_GAMMASCOUT = Make("Mode");
        h.Trt_ID_GAMMA_SCOUT = Make("ID_GS");
        h.Trt_DL_GAMMA_SCOUT = Make("DL_GS");
        h.Trt_DL_SUITE_GAMMA_SCOUT = Make("DL_SUITE_GS");
        h.Trt_Clear_GAMMA_SCOUT = Make("Clear_GS");
        return h;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST(Dispatcher, OffersEachLineInTheFamilysOrderUntilOneTakesIt) {
    const type_fichier_conf saved = Fichier_conf;
    const std::string incorrect = "-> " + GetMessagePgm(Cmd_Compteur_Incorrecte);
    struct Case {
        TTypeCompteur model;
        std::string taker;
        Names offered;
        bool journalled;  // the line, with the reply mark
        bool incorrect;   // nobody took it
        bool commandKept; // Comd_VP still in progress afterwards
    } cases[] = {
        {CVORN8, "", {"Version", "CM", "DL", "PC", "CF", "ID", "DateAck"}, true, true, false},
        {CVORN2, "DL", {"Version", "CM", "DL"}, true, false, true},
        {CVORN10,
         "DateAck",
         {"Version", "CM", "DL", "PC", "CF", "ID", "DateAck"},
         true,
         false,
         true},
        {GAMMA_SCOUT1,
         "",
         {"Version", "Mode", "DateAck", "ID_GS", "DL_GS", "DL_SUITE_GS", "Clear_GS"},
         true,
         true,
         false},
        {GAMMA_SCOUT2, "ID_GS", {"Version", "Mode", "DateAck", "ID_GS"}, true, false, true},
        // No model known: an identification only, journalled once taken.
        {NotInitialized, "", {"Version"}, false, false, true},
        {Unknown, "CM", {"Version"}, false, false, true},
        {NotInitialized, "Version", {"Version"}, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + " " + c.taker);
        StatusBox().clear();
        Fichier_conf.type_compteur_Capture = c.model;
        Recorder rec;
        rec.taker = c.taker;
        TSessionLinks links;
        links.Handlers = rec.All();
        Tcg_thread_ES session(true, std::move(links));
        session.Commande = Comd_VP;
        session.BufR.SSynt = "XY=1";
        SyntInit(session.BufR);

        session.TrtES();

        EXPECT_EQ(rec.calls, c.offered);
        EXPECT_EQ(Journalled("<- XY=1"), c.journalled);
        EXPECT_EQ(Journalled(incorrect), c.incorrect);
        EXPECT_EQ(session.Commande == Comd_VP, c.commandKept);
        EXPECT_FALSE(session.BufR.Occupe);
    }
    Fichier_conf = saved;
}

TEST(Dispatcher, AHandlerThatThrowsDoesNotLeaveTheLineBusy) {
    const type_fichier_conf saved = Fichier_conf;
    StatusBox().clear();
    Fichier_conf.type_compteur_Capture = CVORN8;
    TSessionLinks links;
    links.Handlers.Trt_CM_VORN = [](Tcg_thread_ES&) -> bool { throw std::runtime_error("broken"); };
    Tcg_thread_ES session(true, std::move(links));
    session.Commande = Comd_ID;
    session.BufR.SSynt = "CM=1";
    SyntInit(session.BufR);
    session.TrtES();
    EXPECT_FALSE(session.BufR.Occupe);
    EXPECT_EQ(session.Commande, Comd_Rien);
    EXPECT_TRUE(Journalled("-> " + GetMessagePgm(erreur_systeme) + ": broken"));
    Fichier_conf = saved;
}
