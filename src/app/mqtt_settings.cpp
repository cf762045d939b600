#include "app/mqtt_settings.h"

#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>

#include "base/ports.h"
#include "base/text_util.h"
#include "base/textfile.h"
#include "model/model.h"
#include "net/live_publishers.h"
#include "net/mqtt_publisher.h"
#include "settings/config.h"
#include "settings/texts.h"

namespace zel {

namespace {

const char* const kSettingsName = "zelvanor_mqtt.txt";
const char* const kPasswordName = "zelvanor_mqtt_password.txt";
constexpr int kTestTimeoutMs = 10000;

DesktopMqtt g_prefs;
std::string g_settingsFile, g_passwordFile;
std::shared_ptr<MqttPublisher> g_publisher;

} // namespace

DesktopMqtt& DesktopMqttPrefs() {
    return g_prefs;
}

std::string MqttSettingsFile() {
    return g_settingsFile;
}

std::string MqttPasswordFile() {
    return g_passwordFile;
}

void LoadMqttSettings() {
    g_settingsFile = Repertoire_conf + kSettingsName;
    g_passwordFile = Repertoire_conf + kPasswordName;
    g_prefs = DesktopMqtt{};
    TextList lines;
    if (!FileExists(g_settingsFile) || !LoadTextFile(g_settingsFile, lines)) return;
    MqttSettings& s = g_prefs.settings;
    for (const auto& raw : lines) {
        const size_t eq = raw.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = UpperAscii(TrimControl(raw.substr(0, eq)));
        const std::string v = TrimControl(raw.substr(eq + 1));
        if (key == "ENABLED") {
            s.enabled = ReadFlag(v, false);
        } else if (key == "BROKER") {
            // A broker that does not read is kept off rather than guessed at.
            MqttSettings b = s;
            std::string why;
            if (ParseMqttUrl(v, b, why)) s = b;
        } else if (key == "CAFILE") {
            s.caFile = v;
        } else if (key == "PREFIX" && !v.empty()) {
            s.prefix = v;
        } else if (key == "HADISCOVERY") {
            s.discovery = ReadFlag(v, true);
        } else if (key == "HAPREFIX" && !v.empty()) {
            s.haPrefix = v;
        } else if (key == "SAVEPASSWORD") {
            g_prefs.savePassword = ReadFlag(v, false);
        }
    }
    if (s.host.empty()) s.enabled = false;
    std::string bytes;
    if (g_prefs.savePassword && ReadFileBytes(g_passwordFile, bytes))
        s.password = bytes.substr(0, bytes.find_first_of("\r\n"));
}

bool SaveMqttSettings() {
    if (g_settingsFile.empty()) return false;
    const MqttSettings& s = g_prefs.settings;
    auto flag = [](bool b) { return b ? "1" : "0"; };
    std::string t;
    t += std::string("Enabled=") + flag(s.enabled) + "\r\n";
    t += "Broker=" + (s.host.empty() ? std::string() : MqttUrl(s)) + "\r\n";
    t += "CaFile=" + s.caFile + "\r\n";
    t += "Prefix=" + s.prefix + "\r\n";
    t += std::string("HaDiscovery=") + flag(s.discovery) + "\r\n";
    t += "HaPrefix=" + s.haPrefix + "\r\n";
    t += std::string("SavePassword=") + flag(g_prefs.savePassword) + "\r\n";
    bool ok = AtomicWriteFile(g_settingsFile, t);
    if (g_prefs.savePassword && !s.password.empty())
        ok = AtomicWriteFile(g_passwordFile, s.password + "\n", nullptr, 0600) && ok;
    else if (FileExists(g_passwordFile))
        ok = ::unlink(g_passwordFile.c_str()) == 0 && ok;
    return ok;
}

void ApplyMqttSettings() {
    if (g_publisher) {
        DetachPublisher(g_publisher.get());
        g_publisher.reset();
    }
    if (g_prefs.settings.enabled && !g_prefs.settings.host.empty()) {
        MqttSettings s = g_prefs.settings;
        s.swVersion = "zelvanor " ZEL_PROJECT_VERSION;
        g_publisher = std::make_shared<MqttPublisher>(s);
        AttachPublisher(g_publisher);
    }
    ShowBrokerState();
}

void ShowBrokerState() {
    TprincipalModel& p = Principal;
    bool shown = false;
    TColor color = clRed;
    std::string text;
    // Detached elsewhere (the program stops): nothing to show any more.
    if (g_publisher && PublisherCount() == 0) g_publisher.reset();
    if (g_publisher) {
        shown = true;
        const std::string url = MqttUrl(g_publisher->settings());
        switch (g_publisher->state()) {
        case MqttLinkState::Connected:
            color = clLime;
            text = GetProgramText(ProgramText::MqttStateConnected);
            break;
        case MqttLinkState::Connecting:
            color = 0xFF8000;
            text = GetProgramText(ProgramText::MqttStateConnecting);
            break;
        case MqttLinkState::Unreachable:
        case MqttLinkState::Off:
            text = GetProgramText(ProgramText::MqttStateUnreachable);
            break;
        }
        text += " - " + url;
    }
    if (shown == p.broker_shown && color == p.broker_indicator && text == p.broker_text) return;
    p.broker_shown = shown;
    p.broker_indicator = color;
    p.broker_text = text;
    ModelChanged(ModelWindow::Main);
}

void NetworkPageShow() {
    TPreferenceModel& m = cg_preference;
    const MqttSettings& s = g_prefs.settings;
    m.mqtt_enabled = s.enabled;
    MqttSettings hostOnly = s;
    hostOnly.user.clear();
    m.mqtt_url = s.host.empty() ? std::string() : MqttUrl(hostOnly);
    m.mqtt_user = s.user;
    m.mqtt_password = s.password;
    m.mqtt_save_password = g_prefs.savePassword;
    m.mqtt_ca = s.caFile;
    m.mqtt_prefix = s.prefix;
    m.mqtt_discovery = s.discovery;
    m.mqtt_ha_prefix = s.haPrefix;
    m.mqtt_result.clear();
    m.mqtt_testing = false;
}

bool NetworkPageSettings(DesktopMqtt& out, std::string& why) {
    const TPreferenceModel& m = cg_preference;
    out = g_prefs;
    MqttSettings& s = out.settings;
    s.enabled = m.mqtt_enabled;
    const std::string url = TrimControl(m.mqtt_url);
    if (url.empty()) {
        if (m.mqtt_enabled) {
            why = GetProgramText(ProgramText::PrefMqttUrl);
            return false;
        }
        s.host.clear();
    } else {
        MqttSettings b = s;
        if (!ParseMqttUrl(url, b, why)) return false;
        s = b;
    }
    // The fields win over a user and password written in the address.
    if (!TrimControl(m.mqtt_user).empty()) s.user = TrimControl(m.mqtt_user);
    if (!m.mqtt_password.empty()) s.password = m.mqtt_password;
    if (TrimControl(m.mqtt_user).empty() && url.find('@') == std::string::npos) {
        s.user.clear();
        s.password.clear();
    }
    s.caFile = TrimControl(m.mqtt_ca);
    const std::string prefix = TrimControl(m.mqtt_prefix);
    const std::string haPrefix = TrimControl(m.mqtt_ha_prefix);
    s.prefix = prefix.empty() ? MqttSettings{}.prefix : prefix;
    s.haPrefix = haPrefix.empty() ? MqttSettings{}.haPrefix : haPrefix;
    for (const std::string& p : {s.prefix, s.haPrefix})
        if (p.find_first_of("+#") != std::string::npos || p.front() == '/' || p.back() == '/') {
            why = GetProgramText(ProgramText::PrefMqttPrefix) + ": " + p;
            return false;
        }
    s.discovery = m.mqtt_discovery;
    out.savePassword = m.mqtt_save_password;
    return true;
}

bool NetworkPageOK() {
    TPreferenceModel& m = cg_preference;
    DesktopMqtt d;
    std::string why;
    if (!NetworkPageSettings(d, why)) {
        m.mqtt_result = GetProgramText(ProgramText::MqttTestFailed) + why;
        m.page = 1;
        ModelChanged(ModelWindow::Preferences);
        return false;
    }
    const bool changed = d.settings.enabled != g_prefs.settings.enabled ||
                         MqttFullUrl(d.settings) != MqttFullUrl(g_prefs.settings) ||
                         d.settings.caFile != g_prefs.settings.caFile ||
                         d.settings.prefix != g_prefs.settings.prefix ||
                         d.settings.haPrefix != g_prefs.settings.haPrefix ||
                         d.settings.discovery != g_prefs.settings.discovery;
    g_prefs = d;
    SaveMqttSettings();
    if (changed) ApplyMqttSettings();
    return true;
}

void MqttCaBrowseClick() {
    TPreferenceModel& m = cg_preference;
    std::string path;
    const std::string dir = m.mqtt_ca.empty() ? Repertoire_conf : m.mqtt_ca;
    if (!Dialogs().openFile(GetProgramText(ProgramText::PrefMqttCa), dir,
                            "PEM (*.pem *.crt *.cer);;* (*)", path))
        return;
    m.mqtt_ca = path;
    ModelChanged(ModelWindow::Preferences);
}

void MqttTestClick() {
    TPreferenceModel& m = cg_preference;
    if (m.mqtt_testing) return;
    DesktopMqtt d;
    std::string why;
    if (!NetworkPageSettings(d, why) || d.settings.host.empty()) {
        m.mqtt_result = GetProgramText(ProgramText::MqttTestFailed) +
                        (why.empty() ? GetProgramText(ProgramText::PrefMqttUrl) : why);
        ModelChanged(ModelWindow::Preferences);
        return;
    }
    m.mqtt_testing = true;
    m.mqtt_result = GetProgramText(ProgramText::MqttTesting);
    ModelChanged(ModelWindow::Preferences);
    const MqttSettings s = d.settings;
    auto result = std::async(std::launch::async, [s] { return MqttTryConnect(s, kTestTimeoutMs); });
    // The window goes on meanwhile (repaint, alarm, counts).
    while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        MainThread().processEvents();
    const MqttProblem p = result.get();
    m.mqtt_testing = false;
    m.mqtt_result = p.kind == MqttProblem::None
                        ? GetProgramText(ProgramText::MqttTestOk) + MqttUrl(s)
                        : GetProgramText(ProgramText::MqttTestFailed) + MqttProblemText(p);
    ModelChanged(ModelWindow::Preferences);
}

} // namespace zel
