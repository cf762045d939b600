#pragma once
// The desktop program's MQTT publishing: its settings, kept in zelvanor_mqtt.txt in the data
// directory (cg_conf.txt is left as it is), the password in zelvanor_mqtt_password.txt readable
// by the user only, or nowhere when the user does not want it kept; the publisher made from
// them; the broker's state for the main window; and the network page of the preferences.
// Main thread.
#include <string>

#include "net/mqtt_messages.h"

namespace zel {

struct DesktopMqtt {
    MqttSettings settings;     // password included while the program runs
    bool savePassword = false; // keep the password in its own file
};
DesktopMqtt& DesktopMqttPrefs();

// The two files ("" before start-up).
std::string MqttSettingsFile();
std::string MqttPasswordFile();
// Read at start-up (publishing off when the file is missing); written atomically, the password
// file with user-only permissions, or removed when the password is not to be kept.
void LoadMqttSettings();
bool SaveMqttSettings();

// Attaches the desktop's publisher as the settings say, replacing the one attached before
// (none when publishing is off).
void ApplyMqttSettings();
// The broker's state in the main window's model; called a few times a second.
void ShowBrokerState();

// ---- The network page of the preferences ---------------------------------------------------

// Fills the page from the settings (at the dialog's opening).
void NetworkPageShow();
// The settings of the page, checked: false with the reason in words.
bool NetworkPageSettings(DesktopMqtt& out, std::string& why);
// OK: false (nothing changed, the reason shown on the page) when the page holds a bad address;
// otherwise the settings are kept, written and applied.
bool NetworkPageOK();
// The button beside the certificate field: picks the file.
void MqttCaBrowseClick();
// The test button: connects once with the page's settings and says how it went, in words, on
// the page. The window keeps handling its events meanwhile.
void MqttTestClick();

} // namespace zel
