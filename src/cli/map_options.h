#pragma once
// The options of `log` that upload the counts to the radiation maps.
#include <string>
#include <vector>

#include "base/options.h"
#include "net/map_upload.h"

namespace zelcli {

// The option definitions, to add to the command's own.
std::vector<zel::OptionDef> MapOptionDefs();
// Their lines of the command's usage text.
const char* MapOptionsUsage();

// Takes the options given (any others are ignored) into `s`; false with a one-line reason in
// `why` for a bad value or combination. Files of secrets are read here.
bool ReadMapOptions(const zel::ParsedArgs& args, zel::MapUploadSettings& s, std::string& why);

} // namespace zelcli
