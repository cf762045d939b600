#pragma once
// Where the application hands live counts and the counter's presence to the publishers
// attached in net/live_publishers.h. Main thread.
#include "net/live_publishers.h"

namespace zel {

class Tcg_thread_ES;

// The count the VORN reply handler has just taken (T.Live.Last, received at T.BufR.TSynt).
// Counts the counter marks as invalid are not published.
void FeedCountFromSession(const Tcg_thread_ES& T);
// The connection state changed: the counter identified is online, any other state is not.
void FeedPresenceFromConnection();

} // namespace zel
