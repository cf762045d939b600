#pragma once
// Drives the session automaton in virtual time: a clock that moves only when the session
// sleeps or reads, and a counter whose lines arrive at given virtual times.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/datetime.h"
#include "base/ports.h"
#include "model/model.h"
#include "serial/serial_line.h"
#include "session/session_globals.h"
#include "session/thread_es.h"
#include "settings/config.h"
#include "settings/journal.h"

namespace zeltest {

class FakeClock : public zel::ClockPort {
  public:
    explicit FakeClock(uint32_t startTick = 0) : tick(startTick) {}
    zel::TDateTime now() override { return base + static_cast<double>(elapsed) / zel::MSecsPerDay; }
    uint32_t tickMs() override { return tick; }
    void sleepMs(uint32_t ms) override { Advance(ms); }
    void Advance(uint64_t ms) {
        tick += static_cast<uint32_t>(ms);
        elapsed += ms;
    }

    uint32_t tick;
    uint64_t elapsed = 0; // virtual ms since the start
    zel::TDateTime base = zel::EncodeDateTime(2024, 5, 17, 10, 0, 0, 250);
};

// The counter's side of the line. Each read waits at most one virtual second, like the real
// line: it returns the next line that begins within that second, or nothing.
class ScriptedLine : public zel::SerialLine {
  public:
    explicit ScriptedLine(FakeClock& c) : clock(c) {}

    bool ComOuverte() const override { return open; }

    void SEND(const std::string& PDU, int32_t& STATUS) override {
        if (!open) {
            STATUS = zel::ErrPortNotOpen;
            return;
        }
        STATUS = fault;
        if (fault != 0) return;
        sent.emplace_back(clock.elapsed, PDU);
        if (onSend) onSend(PDU);
    }

    void RECEIVE(int32_t, int32_t, int32_t, std::string& PDU, int32_t& STATUS) override {
        if (onReceive) onReceive();
        if (!open) {
            STATUS = zel::ErrPortNotOpen;
            return;
        }
        if (fault != 0) {
            clock.Advance(10);
            PDU.clear();
            STATUS = fault;
            return;
        }
        if (!arrivals.empty() && arrivals.front().first <= clock.elapsed + zel::Temps_Attente) {
            auto [at, text] = arrivals.front();
            arrivals.pop_front();
            if (at > clock.elapsed) clock.Advance(at - clock.elapsed);
            clock.Advance(10); // the line's own transmission time
            PDU = text;
            STATUS = 0;
            return;
        }
        clock.Advance(zel::Temps_Attente);
        PDU.clear();
        STATUS = zel::ErrTimeout;
    }

    // A line (with its carriage return) beginning `after` ms from now.
    void Counter(uint64_t after, const std::string& line) {
        arrivals.emplace_back(clock.elapsed + after, line + "\r");
    }

    FakeClock& clock;
    bool open = true;
    int32_t fault = 0; // a dead line (a pulled cable): every send and read fails with it
    std::deque<std::pair<uint64_t, std::string>> arrivals;
    std::vector<std::pair<uint64_t, std::string>> sent; // (virtual ms, text)
    std::function<void(const std::string&)> onSend;
    std::function<void()> onReceive;
};

// Journal lines as the status box shows them.
inline std::vector<std::string>& StatusBox() {
    return zel::Principal.cg_info_status;
}

inline bool Journalled(const std::string& line) {
    for (const auto& l : StatusBox())
        if (l == line) return true;
    return false;
}

} // namespace zeltest
