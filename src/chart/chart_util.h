#pragma once
// Small helpers shared by the chart's layout and painting.
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// Nearest integer, halves to the even neighbour; NaN gives 0 and the ends of int32 clamp.
int32_t RoundToInt(double v);
// Lines of a caption: CR, LF or CR LF end a line; a final line break adds no empty line and an
// empty text has no line.
std::vector<std::string> SplitCaptionLines(const std::string& text);

} // namespace zel
