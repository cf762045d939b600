#pragma once
// The decoded report of the last Gamma Scout download, for the read-only view of the desktop.
#include <string>

namespace zel {

// The report's file and text. False (and "no report yet" in `text`) before the first download
// of this run or when its file cannot be read any more.
bool LastReport(std::string& path, std::string& text);
// "Save as…" of the view: asks for a file name in the data directory (".txt" added when it has
// no extension) and writes `text` there by atomic replacement. A file that could not be written
// is said in a box. False when cancelled or not written.
bool SaveReportAs(const std::string& text);

} // namespace zel
