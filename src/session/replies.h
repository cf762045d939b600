#pragma once
// The reply handlers of both counter families. Each reads the received line through the
// session's cursor BufR (shared by all handlers and not rewound between them) and returns true
// when the line was its own. They run on the main thread, called by the dispatcher TrtES.
#include <cstdint>

#include "session/thread_es.h"

namespace zel {

// Both families: the identification reply (VP=..., Version ..., Standard) and the
// acknowledgement of a clock setting (Datum, Zeit, INOK).
bool Trt_Version_ALL_COUNTERS(Tcg_thread_ES& T);
bool Trt_DateAck_ALL_COUNTERS(Tcg_thread_ES& T);

// VORN counters.
bool Trt_CM_VORN(Tcg_thread_ES& T);
bool Trt_DL_VORN(Tcg_thread_ES& T);
bool Trt_PC_VORN(Tcg_thread_ES& T);
bool Trt_CF_VORN(Tcg_thread_ES& T);
bool Trt_ID_VORN(Tcg_thread_ES& T);
// One value of a VORN download: -1 (no measurement) stays -1; Entier1 values are plain;
// Entier2 values are a 13-bit mantissa times 10 to the power of bits 13-14, and a value with
// bit 15 set holds nothing (false).
bool DecodeDL(TCodage Codage, int32_t Valeur, int32_t& ValeurSortie);

// The live counts of the connected counter. A counter taken on or let go: the counts the
// capture refused after the clock went back are told, and its counts are forgotten.
void ForgetLiveCounts(Tcg_thread_ES& T);
// Journals once how many counts the capture refused since the clock went back.
void TellClockBackCounts(Tcg_thread_ES& T);
// The connected counter's conversion factor becomes f: its counts so far are converted again
// (dose chart, dose fields and hourly sums, statistics of the live capture), so that every
// count of the counter is shown with one factor.
void SetCounterFactor(Tcg_thread_ES& T, double f);

// Gamma Scout.
bool Trt_Mode_GAMMASCOUT(Tcg_thread_ES& T);
bool Trt_ID_GAMMA_SCOUT(Tcg_thread_ES& T);
bool Trt_DL_GAMMA_SCOUT(Tcg_thread_ES& T);
bool Trt_DL_SUITE_GAMMA_SCOUT(Tcg_thread_ES& T);
bool Trt_Clear_GAMMA_SCOUT(Tcg_thread_ES& T);

// The table the session's dispatcher uses in production.
TReplyHandlers ReplyHandlers();

} // namespace zel
