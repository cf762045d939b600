#pragma once
// The application's hold on the serial line object and the session thread: created at start-up,
// released at shutdown, reached by the connection dialog. Kept in one place so that the rest of
// app/ does not depend on how the session layer spells its objects.
#include <cstdint>
#include <string>

#include "app/app.h"

namespace zel {

// Creates the serial line object (no port open). False when it could not be created.
bool CreerEntreesSorties();
// Releases it, closing the port if open.
void LibererEntreesSorties();
bool EntreesSortiesExiste();

// Starts the session thread (it waits, not connected, until a port is opened).
bool DemarrerSession();
// Asks the session thread to end and waits for its loop to finish while serving its calls to
// the main thread; then releases it. Nothing when there is none.
void ArreterSession();
bool SessionExiste();
// Gives the session the configured model and language (after the user picked a language).
void UpdateSessionContext();

// The port of the serial line object.
void OuvrirPort(const std::string& nom, const TLigneSerie& ligne, int32_t& status);
void FermerPort(int32_t& status);
bool PortOuvert();
// Writes directly to the port from the main thread (the lone carriage return of line 0).
void EcrirePort(const std::string& texte, int32_t& status);
// The serial ports present, comma-separated, then the devices named in the environment
// variable ZELVANOR_PORTS (comma-separated paths), whether they exist or not.
std::string ListePorts();

} // namespace zel
