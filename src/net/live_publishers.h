#pragma once
// The publishers of live counts: whatever sends the connected counter's counts to the outside
// (an MQTT broker, a radiation map). Both front ends attach theirs here and the application
// feeds every live count and every change of counter through this one place, so that adding a
// publisher needs no change in the session or in either front end.
//
// All functions run on the main thread. A publisher must return at once from every call: the
// counts come straight from the session's reply handler. Work that takes time (a network
// connection) happens on the publisher's own thread; what it has to tell the user it journals
// from tick(), on the main thread.
#include <cstdint>
#include <memory>
#include <string>

#include "base/datetime.h"
#include "settings/counter_type.h"

namespace zel {

// The counter a count belongs to.
struct LiveCounter {
    TTypeCompteur model = NotInitialized;
    uint32_t serial = 0;
    // Model and serial number in lower case ("vorn8_01234", "gs2_72467"), "unknown" before the
    // counter said who it is: the name a publisher gives the counter outside.
    std::string id;
};

// One live count (a counter's count of one minute), as the capture took it.
struct LiveCount {
    LiveCounter counter;
    TDateTime time = 0; // the count's own local time
    int32_t cpm = 0;
    double factor = 0; // µSv/h per count per minute: the counter's conversion factor
};

class LivePublisher {
  public:
    virtual ~LivePublisher() = default;
    // A live count, in the order the counter sent them.
    virtual void count(const LiveCount& c) = 0;
    // The counter is identified and talking.
    virtual void counterOnline(const LiveCounter& c) = 0;
    // The counter is gone: lost, disconnected, another counter connected, or the program stops.
    virtual void counterOffline(const LiveCounter& c) = 0;
    // A few times a second: journal what the publisher's thread has to tell.
    virtual void tick() {}
    // The program stops or the settings change: send what can still be sent within a short
    // wait, then let go. Called once before the publisher is destroyed.
    virtual void stop() {}
};

// The counter's name outside: lower case model and serial, "unknown" before identification.
std::string LiveCounterId(TTypeCompteur model, uint32_t serial);

// Attaches a publisher; it is told at once about a counter already online.
void AttachPublisher(std::shared_ptr<LivePublisher> p);
// Stops and detaches one publisher (the counter online is first told offline to it).
void DetachPublisher(const LivePublisher* p);
// Stops and detaches all of them (shutdown).
void DetachAllPublishers();
// How many are attached.
size_t PublisherCount();

// ---- Fed by the application ---------------------------------------------------------------

// A live count the capture has taken.
void FeedLiveCount(const LiveCount& c);
// The counter now online, or nullptr when none is (lost, closed, unrecognised, connecting).
// Publishers hear only the changes.
void FeedCounterPresence(const LiveCounter* online);
// Lets every publisher journal what it has to tell.
void FeedTick();

} // namespace zel
