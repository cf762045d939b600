#pragma once
// What the charts' menus do beside drawing: which chart the File menu means, the file name and
// format of a saved picture, and the records of the display written as CSV.
#include <functional>
#include <string>

#include "records/records_csv.h"

namespace zel {

class TNiceChart;

// The chart on the page in front: the live chart shown on "Capture", the history, the
// distribution; none on "Statistiques".
TNiceChart* ChartInFront();

enum class PictureFormat { Svg, Png };
// The format a file name asks for by its extension (any letter case); a name with neither
// ".svg" nor ".png" gets ".png" added.
PictureFormat PictureFileFormat(std::string& path);

// "Save chart as…": asks for a file name in the data directory, then `write` draws the picture
// into it in that format. The journal names the file; a file that could not be written is said
// in a box. False when cancelled or not written.
using PictureWriter = std::function<bool(const std::string& path, PictureFormat format)>;
bool SaveChartAs(const PictureWriter& write);

// The records the history and statistics show (the current source over the date window).
RecordsCsv RecordsInView();
// "Export records…": asks for a file name (".csv" added when it has no extension), writes
// RecordsInView() by atomic replacement and journals the number of records and the file.
bool ExportRecordsClick();

// Shared by the entries that write a file the user names: a name whose last component has no
// dot gets `ext`; a file that could not be written is journalled and said in a box.
void DefaultExtension(std::string& path, const char* ext);
void NotWritten(const std::string& path);

} // namespace zel
