#pragma once
// F_Erreur is replaced on the main thread while the session thread may be reading a message.
#include <mutex>

namespace zel {
std::mutex& MessagesMutex();
}
