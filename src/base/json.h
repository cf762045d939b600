#pragma once
// The little JSON the program writes by hand (MQTT payloads, map uploads).
#include <string>

namespace zel {

// `s` as a JSON string literal, quotes included; control characters as \uXXXX.
std::string JsonString(const std::string& s);

} // namespace zel
