// The exchange automaton in virtual time: timings, watchdogs and the hand-over of lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>

#include "automaton_harness.h"
#include "settings/messages.h"

using namespace zel;
using namespace zeltest;

namespace {

class Automaton : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = Fichier_conf;
        StatusBox().clear();
        F_Log.clear();
        F_Dump.clear();
    }
    void TearDown() override {
        session.reset();
        Fichier_conf = saved;
        F_Dump.clear();
    }

    // A session on the scripted line, connected (listening in Initial).
    void Start(TTypeCompteur model, TReplyHandlers handlers = {}) {
        Fichier_conf.type_compteur_Capture = model;
        TSessionLinks links;
        links.Ligne = &line;
        links.Horloge = &clock;
        links.Handlers = std::move(handlers);
        links.Trt_dump_GammaScout = [this](const TextList& dump) {
            dumpSeen = dump;
            ++dumps;
            return gs_no_error;
        };
        session = std::make_unique<Tcg_thread_ES>(true, std::move(links));
        session->ReinitAutomate(Initial);
    }

    // A handler taking lines that begin with `prefix`; `done` ends the command in progress.
    TrtHandler Accept(const std::string& prefix, bool done = true) {
        return [this, prefix, done](Tcg_thread_ES& T) {
            if (T.BufR.SSynt.rfind(prefix, 0) != 0) return false;
            handled.push_back(T.BufR.SSynt);
            stamps.push_back(T.BufR.TSynt);
            if (done) T.Commande = Comd_Rien;
            return true;
        };
    }

    void Post(TCommande c, const std::string& text) {
        session->SetComdAttendue(c);
        session->SetDonneesAEmettre(text);
    }

    template <class Pred> bool RunUntil(Pred done, int maxSteps = 2000) {
        for (int i = 0; i < maxSteps; ++i) {
            if (done()) return true;
            session->Step();
        }
        return done();
    }
    bool RunUntilIdle() {
        return RunUntil([&] { return !session->Occupe(); });
    }
    // Runs `ms` of virtual time.
    void RunFor(uint64_t ms) {
        const uint64_t end = clock.elapsed + ms;
        RunUntil([&] { return clock.elapsed >= end; });
    }

    type_fichier_conf saved;
    FakeClock clock;
    ScriptedLine line{clock};
    std::unique_ptr<Tcg_thread_ES> session;
    std::vector<std::string> handled;
    std::vector<TDateTime> stamps;
    TextList dumpSeen;
    int dumps = 0;
};

const std::string kTimeout = "-> " + GetIOError(ErrTimeout);

} // namespace

TEST_F(Automaton, UnpromptedLineIsHandledInInitial) {
    TReplyHandlers h;
    h.Trt_CM_VORN = Accept("CM=");
    Start(CVORN8, h);
    line.Counter(500, "CM=37");
    ASSERT_TRUE(RunUntil([&] { return !handled.empty() && !session->Occupe(); }));
    EXPECT_EQ(handled, (std::vector<std::string>{"CM=37"}));
    EXPECT_EQ(session->Etat, Initial);
    EXPECT_FALSE(session->BufR.Occupe);
    EXPECT_TRUE(Journalled("<- CM=37"));
    EXPECT_FALSE(Journalled(kTimeout));
    // Stamped to the second: 10:00:00.250 + 510 ms.
    EXPECT_EQ(stamps[0], EncodeDateTime(2024, 5, 17, 10, 0, 0));
    EXPECT_TRUE(line.sent.empty());
}

TEST_F(Automaton, QueuedLineLeavesOnlyAfterASecondOfSilence) {
    TReplyHandlers h;
    h.Trt_CM_VORN = Accept("CM=", false);
    h.Trt_Version_ALL_COUNTERS = Accept("VORN");
    Start(CVORN8, h);
    // A long burst, each line within a second of the previous one.
    for (uint64_t at : {300, 1100, 1900, 2700})
        line.arrivals.emplace_back(at, "CM=1\r");
    line.onSend = [&](const std::string&) { line.Counter(400, "VORN8 123"); };
    Post(Comd_VP, "V");
    ASSERT_TRUE(RunUntil([&] { return !line.sent.empty(); }));
    EXPECT_EQ(line.sent[0].second, "V\r");
    EXPECT_GE(line.sent[0].first, 2710u + 1000u);
    EXPECT_EQ(handled.size(), 4u);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(handled.back(), "VORN8 123");
    EXPECT_FALSE(Journalled(kTimeout));
}

TEST_F(Automaton, MissingReplyIsJournalledAsTimeOutAndResets) {
    struct Case {
        TTypeCompteur model;
        TCommande commande;
        const char* text;
    } cases[] = {
        {CVORN8, Comd_VP, "V"},
        {GAMMA_SCOUT1, Comd_ID, "c"},
        {CVORN8, Comd_DL_suite, "D"}, // a VORN download that stops: no dump decoding
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StatusBox().clear();
        Start(c.model);
        session->SetDLParam(60, Entier2);
        Post(c.commande, c.text);
        ASSERT_TRUE(RunUntil([&] { return !line.sent.empty(); }));
        const uint64_t sentAt = clock.elapsed;
        EXPECT_EQ(session->Etat, AttenteReception);
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_GT(clock.elapsed - sentAt, 2000u);
        EXPECT_LE(clock.elapsed - sentAt, 3100u);
        EXPECT_TRUE(Journalled(kTimeout));
        EXPECT_EQ(session->Commande, Comd_Rien);
        EXPECT_EQ(session->Etat, Initial);
        EXPECT_EQ(session->Nblignes, -1);
        EXPECT_EQ(session->Periode, 3600);
        EXPECT_EQ(dumps, 0);
        line.sent.clear();
    }
}

TEST_F(Automaton, WatchdogHoldsAcrossTheTickWrap) {
    const uint32_t starts[] = {0u, 0x7FFFFFFFu - 1500u, 0xFFFFFFFFu - 1000u, 0xFFFFFFFFu - 2500u,
                               0xFFFFFFFFu - 4500u};
    for (uint32_t start : starts) {
        SCOPED_TRACE(start);
        // Silent counter: given up two to three seconds after the send, not at once nor never.
        StatusBox().clear();
        clock.tick = start;
        Start(CVORN8);
        Post(Comd_VP, "V");
        ASSERT_TRUE(RunUntil([&] { return !line.sent.empty(); }));
        uint64_t sentAt = clock.elapsed;
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_GT(clock.elapsed - sentAt, 2000u);
        EXPECT_LE(clock.elapsed - sentAt, 3100u);
        EXPECT_TRUE(Journalled(kTimeout));

        // A reply 1.8 s after the send is still taken.
        StatusBox().clear();
        handled.clear();
        line.sent.clear();
        clock.tick = start;
        TReplyHandlers h;
        h.Trt_Version_ALL_COUNTERS = Accept("VORN");
        Start(CVORN8, h);
        line.onSend = [&](const std::string&) { line.Counter(1800, "VORN8 1"); };
        Post(Comd_VP, "V");
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_EQ(handled, (std::vector<std::string>{"VORN8 1"}));
        EXPECT_FALSE(Journalled(kTimeout));
        line.onSend = nullptr;
        line.sent.clear();
    }
}

TEST_F(Automaton, MultiLineReplyKeepsAOneSecondWatchdogPerLine) {
    // Internal data of a Gamma Scout: three lines, the last 1.5 s after the one before (too
    // late unless the watchdog restarts after every handled line; here it is given up).
    TReplyHandlers h;
    h.Trt_ID_GAMMA_SCOUT = Accept("L", false);
    Start(GAMMA_SCOUT1, h);
    line.onSend = [&](const std::string&) {
        line.Counter(300, "L1");
        line.arrivals.emplace_back(clock.elapsed + 1200, "L2\r");
        line.arrivals.emplace_back(clock.elapsed + 4000, "L3\r");
    };
    Post(Comd_ID, "c");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(handled, (std::vector<std::string>{"L1", "L2"}));
    EXPECT_TRUE(Journalled(kTimeout));
}

TEST_F(Automaton, BlankLineIsDroppedAndTheReplyStillAwaitedUnderTheWatchdog) {
    struct Case {
        const char* name;
        int64_t replyAfterBlank; // -1: the counter stays silent
        bool timeout;
    } cases[] = {{"silent after the blank line", -1, true}, {"reply after it", 700, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusBox().clear();
        handled.clear();
        TReplyHandlers h;
        h.Trt_Version_ALL_COUNTERS = Accept("VORN");
        Start(CVORN8, h);
        line.onSend = [&](const std::string&) {
            line.Counter(300, " \n\t ");
            if (c.replyAfterBlank >= 0)
                line.arrivals.emplace_back(clock.elapsed + 300 + c.replyAfterBlank, "VORN8 5\r");
        };
        Post(Comd_VP, "V");
        ASSERT_TRUE(RunUntilIdle()) << "the command must not wait for ever";
        EXPECT_EQ(Journalled(kTimeout), c.timeout);
        EXPECT_EQ(handled.empty(), c.timeout);
        // The blank line itself reaches neither the journal nor a handler.
        for (const auto& l : StatusBox()) {
            if (l.rfind("<- ", 0) == 0) {
                EXPECT_EQ(l, "<- VORN8 5");
            }
        }
        line.onSend = nullptr;
    }
}

TEST_F(Automaton, BlankLineWithoutCommandGoesBackToListening) {
    TReplyHandlers h;
    h.Trt_CM_VORN = Accept("CM=");
    Start(CVORN8, h);
    line.Counter(200, "\n \x8D"); // a carriage return with its parity bit set is blank too
    RunFor(3000);
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(StatusBox().empty());
    EXPECT_FALSE(session->Occupe());
}

TEST_F(Automaton, ParityBitsAreClearedBeforeTheHandlersReadTheLine) {
    TReplyHandlers h;
    h.Trt_Version_ALL_COUNTERS = Accept("Version");
    Start(GAMMA_SCOUT2, h);
    std::string withParity;
    for (char ch : std::string("Version 6.90"))
        withParity += static_cast<char>(ch | 0x80);
    line.Counter(100, "\n" + withParity);
    ASSERT_TRUE(RunUntil([&] { return !handled.empty(); }));
    EXPECT_EQ(handled[0], "Version 6.90");
}

TEST_F(Automaton, GammaScoutDumpEndsWithSilenceAndIsDecoded) {
    TReplyHandlers h;
    h.Trt_DL_GAMMA_SCOUT = [&](Tcg_thread_ES& T) {
        if (T.Commande != Comd_DL) return false;
        T.Commande = Comd_DL_suite;
        return true;
    };
    h.Trt_DL_SUITE_GAMMA_SCOUT = [&](Tcg_thread_ES& T) {
        if (T.Commande != Comd_DL_suite) return false;
        F_Dump.push_back(T.BufR.SSynt);
        return true;
    };
    Start(GAMMA_SCOUT1, h);
    uint64_t lastLine = 0;
    line.onSend = [&](const std::string&) {
        line.Counter(300, "GAMMA-SCOUT Protokoll");
        for (int i = 1; i <= 3; ++i)
            line.arrivals.emplace_back(clock.elapsed + 300 + 600 * i,
                                       "0A0B0C" + std::to_string(i) + "\r");
        lastLine = clock.elapsed + 300 + 1800 + 10;
    };
    Post(Comd_DL, "b");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(dumps, 1);
    EXPECT_EQ(dumpSeen, (TextList{"0A0B0C1", "0A0B0C2", "0A0B0C3"}));
    EXPECT_TRUE(F_Dump.empty());
    EXPECT_GE(clock.elapsed - lastLine, 1000u);
    EXPECT_LE(clock.elapsed - lastLine, 2100u);
    EXPECT_TRUE(Journalled("-> " + GetMessagePgm(FinDump)));
    EXPECT_TRUE(Journalled("-> " + GetMessagePgm(gs_no_error)));
    EXPECT_FALSE(Journalled(kTimeout));
}

TEST_F(Automaton, FailedSendIsJournalledAndTheSessionFreed) {
    Start(CVORN8);
    line.open = false;
    Post(Comd_VP, "V");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(Journalled("-> " + GetIOError(ErrPortNotOpen)));
    EXPECT_EQ(session->Commande, Comd_Rien);
    EXPECT_FALSE(session->AEmettre);
}

// A pulled cable fails every read and every send with the same fault: the user hears of it
// once, also when the same line is tried again after it (a reconnection's requests), and again
// only after a fresh start.
TEST_F(Automaton, DeadLineIsToldOnceAcrossReadsSendsAndRetries) {
    Start(CVORN8);
    line.fault = EIO;
    const std::string dead = "-> " + GetIOError(EIO);
    auto told = [&] { return std::count(StatusBox().begin(), StatusBox().end(), dead); };
    RunFor(3000);
    EXPECT_EQ(told(), 1);
    EXPECT_EQ(session->DefautLigne(), EIO);

    // Tried again after that very fault: neither the requests nor the reads tell it again.
    session->ReinitAutomate(Initial, false);
    EXPECT_EQ(session->DefautLigne(), 0);
    for (const char* request : {"V", "F"}) {
        Post(request[0] == 'V' ? Comd_VP : comd_CF, request);
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_EQ(session->DefautLigne(), EIO) << request;
    }
    RunFor(3000);
    EXPECT_EQ(told(), 1);

    // A fresh start tells it again, once.
    session->ReinitAutomate(Initial, true);
    Post(Comd_VP, "V");
    ASSERT_TRUE(RunUntilIdle());
    RunFor(3000);
    EXPECT_EQ(told(), 2);
}

TEST_F(Automaton, CommandWithoutQueuedText) {
    // A clock command written directly: nothing is queued, the command stays in progress.
    struct Case {
        const char* name;
        bool awaitWithWatchdog;
    } cases[] = {{"awaited until any line", false}, {"awaited under the watchdog", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusBox().clear();
        TReplyHandlers h;
        h.Trt_DateAck_ALL_COUNTERS = Accept("Zeit");
        Start(GAMMA_SCOUT1, h);
        Post(Comd_IN, "");
        if (c.awaitWithWatchdog) session->SetAttenteReponse();
        RunFor(5000);
        EXPECT_TRUE(line.sent.empty());
        if (c.awaitWithWatchdog) {
            EXPECT_FALSE(session->Occupe());
            EXPECT_TRUE(Journalled(kTimeout));
            continue;
        }
        EXPECT_TRUE(session->Occupe());
        line.Counter(100, "Zeit gesetzt");
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_FALSE(Journalled(kTimeout));
    }
}

TEST_F(Automaton, ResetByTheMainThreadDuringAReadWins) {
    TReplyHandlers h;
    h.Trt_CM_VORN = Accept("CM=");
    Start(CVORN8, h);
    line.Counter(100, "CM=5");
    // The port is about to close while the session is reading a line.
    line.onReceive = [&] { session->ReinitAutomate(NonConnecte); };
    session->Step();
    line.onReceive = nullptr;
    EXPECT_EQ(session->Etat, NonConnecte);
    EXPECT_FALSE(session->BufR.Occupe);
    RunFor(2000);
    EXPECT_TRUE(handled.empty());
}

TEST_F(Automaton, ClosedPortIdlesInInitial) {
    Start(CVORN8);
    line.open = false;
    RunFor(1000);
    EXPECT_EQ(session->Etat, Initial);
    EXPECT_FALSE(session->Occupe());
    EXPECT_TRUE(StatusBox().empty());
}

TEST_F(Automaton, LineAfterNoiseIsALineAgain) {
    // A stream without a carriage return, one read long, then the noise ends: in silence, or
    // with the session restarted by the main thread (a reconnection). The next line counts.
    const std::string noise(static_cast<size_t>(Tcg_thread_ES::LongueurLigne), '~');
    const std::string told = "-> " + GetMessagePgm(Cmd_Compteur_Incorrecte);
    struct Case {
        const char* name;
        bool restart;
    } cases[] = {{"silence", false}, {"restart", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusBox().clear();
        handled.clear();
        TReplyHandlers h;
        h.Trt_CM_VORN = Accept("CM=");
        Start(CVORN8, h);
        line.arrivals.emplace_back(clock.elapsed + 300, noise);
        ASSERT_TRUE(RunUntil([&] { return line.arrivals.empty(); }));
        if (c.restart)
            session->ReinitAutomate(Initial);
        else
            RunFor(1500);
        line.Counter(c.restart ? 10 : 500, "CM=37");
        ASSERT_TRUE(RunUntil([&] { return line.arrivals.empty() && !session->Occupe(); }));
        EXPECT_EQ(handled, std::vector<std::string>{"CM=37"});
        EXPECT_TRUE(Journalled("<- CM=37"));
        EXPECT_EQ(std::count(StatusBox().begin(), StatusBox().end(), told), 1);
    }
}

TEST_F(Automaton, QueuedLineWaitsForASecondOfSilenceAfterNoise) {
    TReplyHandlers h;
    h.Trt_Version_ALL_COUNTERS = Accept("VP=");
    Start(CVORN8, h);
    const std::string noise(static_cast<size_t>(Tcg_thread_ES::LongueurLigne), '~');
    line.arrivals.emplace_back(300, noise);
    line.arrivals.emplace_back(700, noise);
    line.onSend = [&](const std::string&) { line.Counter(200, "VP=2.1,VORN8,1"); };
    Post(Comd_VP, "V");
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(line.sent.size(), 1u);
    EXPECT_GE(line.sent[0].first, 710u + 1000u);
    EXPECT_EQ(handled, std::vector<std::string>{"VP=2.1,VORN8,1"});
    EXPECT_FALSE(Journalled(kTimeout));
}
