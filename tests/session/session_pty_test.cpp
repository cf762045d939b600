// The session thread in real time over a pseudo-terminal: the test is both the main thread
// and, on the master end, the counter.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

#include "base/ports.h"
#include "model/model.h"
#include "serial/entrees_sorties.h"
#include "session/session_globals.h"
#include "session/thread_es.h"
#include "settings/config.h"

using namespace zel;
using Steady = std::chrono::steady_clock;

namespace {

// Serves the main thread's queue until done() or the time limit.
template <class Pred> bool Serve(QueueMainThread& main, Pred done, int ms) {
    const auto end = Steady::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Steady::now() > end) return false;
        main.runFor(20);
    }
    return true;
}

std::string ReadCounterSide(int fd, int ms) {
    std::string got;
    struct pollfd p {
        fd, POLLIN, 0
    };
    while (poll(&p, 1, ms) > 0) {
        char buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
        if (got.find('\r') != std::string::npos) break;
    }
    return got;
}

} // namespace

TEST(SessionOverPty, CountLineAndCommandRoundTrip) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    TEntreesSorties port;
    int32_t st = -1;
    port.OuvrirCom(name, 9600, UART_8bits, UART_None, UART_1stop, st);
    ASSERT_EQ(st, 0);

    const type_fichier_conf saved = Fichier_conf;
    Fichier_conf.type_compteur_Capture = CVORN8;
    QueueMainThread main;
    Ports& ports = GetPorts();
    const Ports savedPorts = ports;
    ports.main = &main; // the journal posts to this main thread too
    Principal.cg_info_status.clear();

    std::atomic<int> counts{0}, versions{0};
    std::atomic<bool> offMain{false};
    TSessionLinks links;
    links.Ligne = &port;
    links.Main = &main;
    links.Handlers.Trt_CM_VORN = [&](Tcg_thread_ES& T) {
        if (!main.isMainThread()) offMain = true;
        if (!SyntIdent(T.BufR, "CM")) return false;
        ++counts;
        return true;
    };
    links.Handlers.Trt_Version_ALL_COUNTERS = [&](Tcg_thread_ES& T) {
        if (!main.isMainThread()) offMain = true;
        if (!SyntIdent(T.BufR, "VP")) return false;
        ++versions;
        T.Commande = Comd_Rien;
        return true;
    };
    Thread_ES_Running = true;
    Tcg_thread_ES session(false, std::move(links));
    session.ReinitAutomate(Initial);

    // An unprompted count.
    ASSERT_EQ(write(master, "CM=12\r\n", 7), 7);
    EXPECT_TRUE(Serve(
        main, [&] { return counts == 1 && !session.Occupe(); }, 5000));

    // A command: sent after a second of silence, answered, handled.
    std::string request;
    std::thread counter([&] {
        request = ReadCounterSide(master, 5000);
        if (request == "V\r") (void)!write(master, "VP=1.0,8,1234\r", 14);
    });
    session.SetComdAttendue(Comd_VP);
    session.SetDonneesAEmettre("V");
    EXPECT_TRUE(Serve(
        main, [&] { return !session.Occupe(); }, 8000));
    counter.join();
    EXPECT_EQ(request, "V\r");
    EXPECT_EQ(versions, 1);
    EXPECT_FALSE(offMain);

    const auto t0 = Steady::now();
    session.Terminate();
    session.WaitFor();
    EXPECT_LT(Steady::now() - t0, std::chrono::milliseconds(1500));
    EXPECT_FALSE(Thread_ES_Running);
    main.processEvents();
    EXPECT_FALSE(Principal.cg_info_status.empty());
    EXPECT_EQ(Principal.cg_info_status.front(), "<- CM=12");

    ports = savedPorts;
    Fichier_conf = saved;
    port.FermerCom(st);
    close(master);
    close(slave);
}
