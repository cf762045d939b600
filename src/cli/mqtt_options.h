#pragma once
// The MQTT options of zelvanor-cli log: which broker its counts are published to.
#include <string>
#include <vector>

#include "base/options.h"
#include "net/mqtt_messages.h"

namespace zelcli {

// The option definitions, to add to the command's own.
const std::vector<zel::OptionDef>& MqttOptionDefs();
// Their lines of the usage text.
const char* MqttUsage();

// Reads the MQTT options among `args` into s (s.enabled when --mqtt is given). False with the
// problem in words in `why`: a bad URL, an option that needs --mqtt, an unreadable file, a prefix
// that is no topic.
bool ReadMqttOptions(const zel::ParsedArgs& args, zel::MqttSettings& s, std::string& why);

} // namespace zelcli
