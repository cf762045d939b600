// What reaches the wire for each command, with the session run step by step from the front
// end's event processing, in virtual time.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "reply_fixture.h"
#include "serial/serial_line.h"
#include "session/emission.h"

namespace zel::testing {
namespace {

class VirtualClock : public ClockPort {
  public:
    TDateTime now() override { return base + static_cast<double>(elapsed) / MSecsPerDay; }
    uint32_t tickMs() override { return static_cast<uint32_t>(elapsed); }
    void sleepMs(uint32_t ms) override { elapsed += ms; }
    uint64_t elapsed = 0;
    TDateTime base = EncodeDateTime(2024, 5, 17, 10, 23, 45);
};

// The counter's end of the line. Writes are stamped with the front end's clock; a read with
// nothing to say lasts one second of the session's clock.
class CounterLine : public SerialLine {
  public:
    CounterLine(ClockPort& host, VirtualClock& session) : host_(host), session_(session) {}
    bool ComOuverte() const override { return true; }
    void SEND(const std::string& PDU, int32_t& STATUS) override {
        STATUS = 0;
        sent.emplace_back(host_.tickMs(), PDU);
        wire += PDU;
        if (answer) answer(wire);
    }
    void RECEIVE(int32_t, int32_t, int32_t, std::string& PDU, int32_t& STATUS) override {
        if (!replies.empty()) {
            PDU = replies.front() + "\r";
            replies.pop_front();
            STATUS = 0;
            return;
        }
        session_.elapsed += Temps_Attente;
        PDU.clear();
        STATUS = ErrTimeout;
    }
    // Answers a request once the wire holds it (and forgets what was asked).
    void Answers(std::string request, std::string reply) {
        answer = [this, request, reply](std::string& w) {
            if (w == request) {
                replies.push_back(reply);
                w.clear();
            }
        };
    }

    std::vector<std::pair<uint32_t, std::string>> sent;
    std::string wire;
    std::deque<std::string> replies;
    std::function<void(std::string&)> answer;

  private:
    ClockPort& host_;
    VirtualClock& session_;
};

// The front end's main thread: every round of event processing runs queued calls and lets the
// session take one step.
class SteppingMain : public MainThreadPort {
  public:
    void runOnMainAndWait(std::function<void()> f) override { f(); }
    void postToMain(std::function<void()> f) override { queue.push_back(std::move(f)); }
    void processEvents() override {
        // Calls posted while these run wait for the next round.
        std::deque<std::function<void()>> now;
        now.swap(queue);
        for (auto& f : now)
            f();
        if (session && !stepping) {
            stepping = true;
            session->Step();
            stepping = false;
        }
    }
    // With sessionPosts, the session's step runs as if on its own thread: its journal lines
    // are queued to the main thread.
    bool isMainThread() const override { return !(sessionPosts && stepping); }
    Tcg_thread_ES* session = nullptr;
    bool stepping = false;
    bool sessionPosts = false;
    std::deque<std::function<void()>> queue;
};

class Emission : public ReplyTest {
  protected:
    void SetUp() override {
        ReplyTest::SetUp();
        saved_ = GetPorts();
        GetPorts().main = &main_;
        GetPorts().clock = &host_;
        TSessionLinks links;
        links.Ligne = &line_;
        links.Main = &main_;
        links.Horloge = &sessionClock_;
        links.Handlers = ReplyHandlers();
        Thread_ES = std::make_unique<Tcg_thread_ES>(true, std::move(links));
        Thread_ES->ReinitAutomate(Initial);
        main_.session = Thread_ES.get();
        SetLigneDirecte(&line_);
        Principal.commande_en_cours = false;
    }
    void TearDown() override {
        SetLigneDirecte(nullptr);
        Thread_ES.reset();
        GetPorts() = saved_;
        ReplyTest::TearDown();
    }
    std::vector<std::string> Wire() const {
        std::vector<std::string> w;
        for (const auto& s : line_.sent)
            w.push_back(s.second);
        return w;
    }

    Ports saved_;
    VirtualClock host_;
    VirtualClock sessionClock_;
    CounterLine line_{host_, sessionClock_};
    SteppingMain main_;
};

TEST_F(Emission, VornIdentificationSendsVAndWaitsForTheReply) {
    Connecte(CVORN8, 1);
    line_.Answers("V\r", "VP=2.1,VORN8,1234");
    SetEmission(Comd_VP, "");
    EXPECT_EQ(Wire(), std::vector<std::string>{"V\r"});
    EXPECT_EQ(Fichier_conf.Serial_Compteur, 1234u); // handled before the call returned
    EXPECT_FALSE(Thread_ES->Occupe());
    EXPECT_EQ(Principal.cg_indicator, clLime);
    EXPECT_FALSE(Principal.commande_en_cours);
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{Emis(ModeleCompteur) + " ", Recu("VP=2.1,VORN8,1234")}));
}

TEST_F(Emission, UnidentifiedCounterOnAGammaScoutLineGetsLowerCaseV) {
    Fichier_conf.PortCom = 3;
    line_.Answers("v\r", "Version 6.05");
    SetEmission(Comd_VP, "");
    EXPECT_EQ(Wire(), std::vector<std::string>{"v\r"});
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, GAMMA_SCOUT1);
}

TEST_F(Emission, RebootAwaitsNoReply) {
    Connecte(CVORN2);
    SetEmission(Comd_BO, "");
    EXPECT_EQ(Wire(), std::vector<std::string>{"B\r"});
    EXPECT_EQ(Journal(), std::vector<std::string>{Emis(Redemarre)}); // no time-out
}

TEST_F(Emission, CommandAVornCounterDoesNotHaveSendsNothing) {
    Connecte(CVORN8);
    SetEmission(Comd_Clear_Data, "");
    EXPECT_TRUE(Wire().empty());
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(host_.elapsed, 0u); // returned at once
}

TEST_F(Emission, GammaScoutClockIsWrittenOneCharacterEvery500ms) {
    Connecte(GAMMA_SCOUT2);
    line_.Answers("t170524102345", "Datum 17.05.24");
    SetEmission(Comd_IN, "");
    const std::string expected = "t170524102345";
    ASSERT_EQ(line_.sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(line_.sent[i].second, std::string(1, expected[i]));
        if (i > 0) {
            EXPECT_EQ(line_.sent[i].first - line_.sent[i - 1].first, 500u);
        }
    }
    EXPECT_EQ(Principal.enr, "13");
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{"-> t170524102345", Emis(InitDateHeure) + ": 170524102345",
                                        Recu("Datum 17.05.24")}));
    EXPECT_FALSE(Thread_ES->Occupe());
}

TEST_F(Emission, SilentCounterAfterAClockWriteEndsWithTheWatchdog) {
    Connecte(GAMMA_SCOUT1);
    SetEmission(Comd_H, ""); // "u10:23", and the counter never answers
    EXPECT_EQ(line_.wire, "u10:23");
    EXPECT_FALSE(Thread_ES->Occupe());
    const std::vector<std::string> j = Journal();
    ASSERT_FALSE(j.empty());
    EXPECT_EQ(j.back(), "-> " + GetIOError(ErrTimeout));
    // Each round of events lets the session read for a second, the last one included.
    EXPECT_LT(sessionClock_.elapsed, 11000u);
}

TEST_F(Emission, SessionJournalLinesOfTheExchangeAreShownBeforeItReturns) {
    main_.sessionPosts = true;
    Connecte(CVORN8);
    SetEmission(Comd_VP, ""); // the counter never answers
    const std::vector<std::string> j = Journal();
    ASSERT_FALSE(j.empty());
    EXPECT_EQ(j.back(), "-> " + GetIOError(ErrTimeout));
}

TEST_F(Emission, NoSecondCommandWhileOneIsInProgress) {
    Connecte(CVORN8);
    bool seen_in_progress = false;
    main_.postToMain([&] {
        seen_in_progress = Principal.commande_en_cours;
        SetEmission(Comd_BO, ""); // a menu click served by the wait below
    });
    line_.Answers("G\r", "ID=450");
    SetEmission(Comd_ID, "");
    EXPECT_TRUE(seen_in_progress);
    EXPECT_EQ(Wire(), std::vector<std::string>{"G\r"});
    EXPECT_FALSE(Principal.commande_en_cours);

    SetEmission(Comd_BO, ""); // once done, commands are served again
    EXPECT_EQ(Wire(), (std::vector<std::string>{"G\r", "B\r"}));
}

TEST_F(Emission, NoCommandFromInsideADumpLineHandler) {
    Connecte(GAMMA_SCOUT2);
    Thread_ES->SetComdAttendue(Comd_DL);
    line_.replies = {"GAMMA-SCOUT Protokoll", "0000 45 23 01"};
    // A menu click, served by the event processing of the dump line handler.
    bool clicked = false;
    std::function<void()> click = [&] {
        if (F_Dump.empty()) {
            main_.postToMain(click);
            return;
        }
        SetEmission(Comd_BO, "");
        clicked = true;
    };
    main_.postToMain(click);
    for (int i = 0; i < 20 && !clicked; ++i)
        main_.processEvents();
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(Wire().empty());
    EXPECT_EQ(Thread_ES->Commande, Comd_DL_suite); // the dump goes on
}

TEST_F(Emission, DisconnectForgetsTheCounter) {
    Connecte(GAMMA_SCOUT2, 42);
    Fichier_conf.Version_GS = 6.9;
    AjoutValeurCSV(F_Capture, T0, 60, 12);
    Principal.cg_indicator = clLime;
    SetEmission(Comd_NonConnecte, "");
    EXPECT_EQ(Principal.cg_indicator, clRed);
    EXPECT_EQ(Fichier_conf.type_compteur_Capture, NotInitialized);
    EXPECT_EQ(Fichier_conf.Version_GS, 0);
    EXPECT_TRUE(F_Capture.empty());
    EXPECT_TRUE(Existe("GS2_00042.txt"));
    EXPECT_TRUE(Wire().empty());
    EXPECT_EQ(Thread_ES->Etat, NonConnecte);

    SetEmission(Comd_Connecte, "");
    EXPECT_EQ(Principal.cg_indicator, clLime);
    EXPECT_EQ(Thread_ES->Etat, Initial);
}

TEST_F(Emission, CommandWithoutAConnectedCounterReturnsAtOnce) {
    Connecte(CVORN8);
    Thread_ES->ReinitAutomate(NonConnecte);
    SetEmission(Comd_VP, "");
    EXPECT_TRUE(Wire().empty());
    EXPECT_EQ(Journal(), std::vector<std::string>{Emis(non_connecte)});
    EXPECT_FALSE(Principal.commande_en_cours);
    EXPECT_EQ(host_.elapsed, 0u);
}

TEST_F(Emission, CommandTables) {
    SetRegional(RegionalSettings{'-', '.', '.', "fr", "FR"});
    struct Case {
        TTypeCompteur model;
        double version_gs;
        TCommande commande;
        const char* S;
        const char* S1;
        std::string S2;
        TCommande attendue;
        const char* directe;
    } cases[] = {
        {CVORN3, 0, Comd_VP, "", "V", GetMessagePgm(ModeleCompteur) + " ", Comd_VP, ""},
        {CVORN3, 0, comd_CF, "=0.0065", "F=0.0065", GetMessagePgm(FacteurConversion) + " =0.0065",
         comd_CF, ""},
        {CVORN3, 0, Comd_BO, "", "B", GetMessagePgm(Redemarre), Comd_Rien, ""},
        {CVORN9, 0, Comd_IN, "2024-05-17 10.23", "I2024-05-17 10.23", GetMessagePgm(RazMemoire),
         Comd_IN, ""},
        {CVORN9, 0, Comd_DL, "", "D", GetMessagePgm(Telecharge) + " ", Comd_DL, ""},
        {CVORN10, 0, Comd_mode_PC, "=ON,ON,SV,50", "P=ON,ON,SV,50",
         GetMessagePgm(ParamCompteur) + " =ON,ON,SV,50", Comd_mode_PC, ""},
        {CVORN3, 0, Comd_ID, "x", "G", GetMessagePgm(DonneesInterneCompteur) + " x", Comd_ID, ""},
        {CVORN3, 0, comd_PC_mode, "", "", "", Comd_Rien, ""},
        {GAMMA_SCOUT2, 0, Comd_VP, "x", "v", GetMessagePgm(ModeleCompteur) + " x", Comd_VP, ""},
        {GAMMA_SCOUT2, 0, comd_PC_mode, "", "P", "Set Mode PC", comd_PC_mode, ""},
        {GAMMA_SCOUT2, 0, Comd_Mode_Acq, "", "X", "Set Mode Acquisition", Comd_Mode_Acq, ""},
        {GAMMA_SCOUT2, 6.9, Comd_BO, "", "N", GetMessagePgm(Redemarre), Comd_Rien, ""},
        {GAMMA_SCOUT2, 6.89, Comd_BO, "", "i", GetMessagePgm(Redemarre), Comd_Rien, ""},
        {GAMMA_SCOUT1, 0, Comd_IN, "", "", GetMessagePgm(InitDate) + ": 170524", Comd_IN,
         "d170524"},
        {GAMMA_SCOUT1, 0, Comd_H, "", "", GetMessagePgm(InitHeure) + ": 10.23", Comd_H, "u10.23"},
        {GAMMA_SCOUT2, 0, Comd_DL, "x", "b", GetMessagePgm(Telecharge) + " x", Comd_DL, ""},
        {GAMMA_SCOUT2, 0, Comd_ID, "x", "c", GetMessagePgm(DonneesInterneCompteur), Comd_ID, ""},
        {GAMMA_SCOUT2, 0, Comd_Clear_Data, "", "z", GetMessagePgm(RazMemoire), Comd_Clear_Data, ""},
        {GAMMA_SCOUT2, 0, comd_CF, "", "", "", Comd_Rien, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + "/" + std::to_string(c.commande));
        Connecte(c.model);
        Fichier_conf.Version_GS = c.version_gs;
        AjoutValeurCSV(F_DownLoad, T0, 60, 1);
        TEmission E;
        E.Commande = c.commande;
        E.S = c.S;
        E.ReponseAttendue = c.commande;
        if (EncodeurGammaScout())
            SetEmission_GAMMA_SCOUT(E);
        else
            SetEmission_VORN(E);
        EXPECT_EQ(E.S1, c.S1);
        EXPECT_EQ(E.S2, c.S2);
        EXPECT_EQ(E.ReponseAttendue, c.attendue);
        EXPECT_EQ(E.Directe, c.directe);
        if (c.commande == Comd_DL) {
            EXPECT_TRUE(F_DownLoad.empty());
        }
        if (c.commande == Comd_DL && !EncodeurGammaScout()) {
            EXPECT_EQ(Thread_ES->Nblignes, 0);
            EXPECT_EQ(Thread_ES->Periode, 3600);
        }
        if (c.commande == Comd_ID && EncodeurGammaScout()) {
            EXPECT_EQ(Thread_ES->Nblignes, 0);
        }
        Thread_ES->ReinitAutomate(Initial);
        F_DownLoad.clear();
    }
}

TEST(MenuState, TitleAndCommandsPerModel) {
    struct Case {
        TTypeCompteur model;
        const char* title;
        const char* menus; // B F V D I Param Data ModePC ModeAcq Raz
    } cases[] = {
        {CVORN2, "Zelvanor  - VORN2",
         "11111"
         "00000"},
        {CVORN3, "Zelvanor  - VORN3",
         "01100"
         "11000"},
        {CVORN8, "Zelvanor  - VORN8",
         "01110"
         "10000"},
        {CVORN9, "Zelvanor  - VORN9",
         "01110"
         "10000"},
        {CVORN10, "Zelvanor  - VORN10",
         "01110"
         "10000"},
        {GAMMA_SCOUT1, "Zelvanor  - GAMMA-SCOUT V1",
         "10111"
         "11001"},
        {GAMMA_SCOUT2, "Zelvanor  - GAMMA-SCOUT V2",
         "10111"
         "11111"},
        {Unknown, "Zelvanor Compteur non reconnu",
         "00100"
         "00000"},
        {NotInitialized, "Zelvanor Compteur non reconnu",
         "00100"
         "00000"},
    };
    F_Erreur.clear(); // built-in texts
    const TprincipalModel& p = Principal;
    for (const Case& c : cases) {
        Fichier_conf.type_compteur_Capture = c.model;
        maj_menu_commandes();
        const std::string got = {
            p.cg_menuitem_B_enabled ? '1' : '0',
            p.cg_menuitem_F_enabled ? '1' : '0',
            p.cg_menuitem_V_enabled ? '1' : '0',
            p.cg_menuitem_D_enabled ? '1' : '0',
            p.cg_menuitem_I_enabled ? '1' : '0',
            p.cg_menu_param_compteur_enabled ? '1' : '0',
            p.cg_menu_get_data_enabled ? '1' : '0',
            p.cg_menuitem_Mode_PC_enabled ? '1' : '0',
            p.cg_menuitem_Mode_acq_enabled ? '1' : '0',
            p.cg_menuitem_RazMemoire_enabled ? '1' : '0',
        };
        EXPECT_EQ(p.caption, c.title);
        EXPECT_EQ(got, c.menus) << c.title;
    }
    Fichier_conf = type_fichier_conf{};
}

} // namespace
} // namespace zel::testing
