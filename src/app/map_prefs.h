#pragma once
// The radiation map uploads of the desktop program: their settings, kept in the data directory
// in a file only its owner may read (it holds a password and a key), the publisher they attach,
// and the preferences' test buttons. Main thread. zelvanor-cli takes its settings from its
// command line instead and never reads this file.
#include <functional>
#include <string>

#include "net/map_upload.h"

namespace zel {

// The settings in force.
const MapUploadSettings& MapPrefs();
// The file: Repertoire_conf + "cg_maps.txt".
std::string MapPrefsFile();

// Reads the file (a missing one: every service off) and attaches a publisher when a service is
// on. Once, after AppStart.
void StartMapUploads();
// The preferences' OK: the settings take effect at once (the publisher is replaced) and are
// written. False when the file could not be written (errno in *err).
bool SetMapPrefs(const MapUploadSettings& s, int* err = nullptr);

// The file's text for `s`, and `s` from a file's lines (values that do not read keep the
// defaults).
std::string MapPrefsText(const MapUploadSettings& s);
MapUploadSettings ReadMapPrefs(const std::vector<std::string>& lines);

// A test button: the counter's last count goes to `service` with the settings of the dialog
// (not yet applied), from a thread of its own; `done` gets the result in words on the main
// thread (passed or not). Without a count yet, `done` is called at once and nothing is sent:
// a map never gets a value the counter did not send.
void TestMapService(MapService service, const MapUploadSettings& s,
                    std::function<void(bool passed, const std::string& words)> done);
// Ends the tests under way (shutdown); their results are dropped.
void StopMapTests();

} // namespace zel
