// zelvanor-cli decode: a saved Gamma Scout dump decoded as the session decodes a finished
// download, with the counter's firmware version, serial number and log size given on the
// command line instead of by its version reply.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "base/numfmt.h"
#include "base/textfile.h"
#include "cli/commands.h"
#include "gammascout/gamma_scout.h"
#include "model/model.h"
#include "records/counter.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace {

const char* const kUsage =
    "Usage: zelvanor-cli decode --firmware V --serial S --eeprom N [--model GS1|GS2]\n"
    "                           [--dir DIR] DUMPFILE\n"
    "  Decodes the Gamma Scout dump in DUMPFILE (the lines the counter sent; anything up to a\n"
    "  \"GAMMA-SCOUT Protokoll\" line is skipped) for a counter of firmware V, serial number S\n"
    "  and N log bytes (log versions 1 and 2 read both from the dump). The report and the\n"
    "  download file are written in DIR (default: the current directory). Prints what the\n"
    "  decoding journalled, the serial number and log size after decoding, then the result;\n"
    "  exit 0 when the log was decoded.\n";

int Usage(const char* why) {
    return zelcli::UsageError("decode", why, kUsage);
}

bool ParseVersion(const std::string& s, double& v) {
    return zel::ParseDecimal(s, v);
}

bool ParseSerial(const std::string& s, uint32_t& n) {
    if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long v = std::strtoull(s.c_str(), nullptr, 10);
    if (v > 0xFFFFFFFFull) return false;
    n = static_cast<uint32_t>(v);
    return true;
}

int RunDecode(int argc, char** argv) {
    zel::ParsedArgs args;
    std::string error;
    if (!zelcli::ParseCommandArgs(argc, argv,
                                  {{"firmware", true},
                                   {"serial", true},
                                   {"eeprom", true},
                                   {"model", true},
                                   {"dir", true},
                                   {"help", false}},
                                  args, error))
        return Usage(error.c_str());
    if (args.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.operands.size() > 1) return Usage("one dump file only");
    if (!args.has("firmware") || !args.has("serial") || !args.has("eeprom") ||
        args.operands.empty())
        return Usage("--firmware, --serial, --eeprom and a dump file are required");
    const std::string firmware = *args.last("firmware"), serial = *args.last("serial"),
                      eeprom = *args.last("eeprom"), dump_file = args.operands[0];
    const std::string model = args.has("model") ? *args.last("model") : "GS2";
    const std::string dir = args.has("dir") ? *args.last("dir") : ".";

    double version = 0;
    uint32_t serial_number = 0;
    if (!ParseVersion(firmware, version)) return Usage("--firmware: not a number");
    if (!ParseSerial(serial, serial_number)) return Usage("--serial: not a serial number");
    const zel::TTypeCompteur type = zel::DonneCompteur(model);
    if (type != zel::GAMMA_SCOUT1 && type != zel::GAMMA_SCOUT2) return Usage("--model: GS1 or GS2");

    std::string bytes;
    if (!zel::ReadFileBytes(dump_file, bytes)) {
        std::fprintf(stderr, "%s%s\n", zel::GetMessagePgm(zel::Pb_ouvrir_fichier).c_str(),
                     dump_file.c_str());
        return 1;
    }
    const zel::TextList dump = zel::DumpFileLines(bytes);
    if (std::none_of(dump.begin(), dump.end(), zel::IsDumpLine)) {
        std::fprintf(stderr,
                     "zelvanor-cli decode: %s holds no Gamma Scout dump (no line of hexadecimal "
                     "pairs)\n",
                     dump_file.c_str());
        return 1;
    }

    // The state the version reply of the counter would have left.
    zel::Repertoire_conf = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    zel::Fichier_conf.Version_GS = version;
    zel::Fichier_conf.type_compteur_Capture = type;
    zel::Fichier_conf.Serial_Compteur = serial_number;
    double factor = zel::Conversion_Sievert_LND712;
    zel::TTypeCompteur stored = zel::NotInitialized;
    zel::LireConfCompteur(zel::NomFichierCapture(zel::RacineCompteurConnecte()), factor, stored);
    zel::Fichier_conf.conversion_sievert_capture = factor;
    {
        std::lock_guard<std::mutex> lock(zel::cg_param_gamma.mutex);
        zel::cg_param_gamma.version = zel::FloatToStr(version);
        zel::cg_param_gamma.serie = std::to_string(serial_number);
        zel::cg_param_gamma.EEPROM = eeprom;
    }

    const zel::erreur_programme status = zel::Trt_dump_GammaScout(dump);

    // What the decoding journalled (records left out, a file that failed), as the status box
    // shows it.
    for (const std::string& line : zel::Principal.cg_info_status)
        std::printf("%s\n", line.c_str());

    {
        std::lock_guard<std::mutex> lock(zel::cg_param_gamma.mutex);
        std::printf("serie=%s\nEEPROM=%s\n", zel::cg_param_gamma.serie.c_str(),
                    zel::cg_param_gamma.EEPROM.c_str());
    }
    std::printf("%s\n", zel::GetMessagePgm(status).c_str());
    return status == zel::gs_no_error ? 0 : 1;
}

const zelcli::Register reg("decode",
                           "--firmware V --serial S --eeprom N DUMPFILE  decode a Gamma Scout dump",
                           RunDecode);

} // namespace
