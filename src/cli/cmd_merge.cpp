// zelvanor-cli merge FILE1 FILE2 OUT: the records of FILE1 merged into those of FILE2, written to
// OUT. Unlike the window's merge, no per-counter configuration is needed: any capture file will do.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "records/capture.h"
#include "settings/messages.h"

namespace {

const char kUsage[] = "Usage: zelvanor-cli merge FILE1 FILE2 OUT\n"
                      "  Merges the records of FILE1 into those of FILE2 and writes them to OUT.\n"
                      "  A line that is not a record refuses the merge, with its line number.\n";

int run_merge(int argc, char** argv) {
    zel::ParsedArgs args;
    std::string error;
    if (!zelcli::ParseCommandArgs(argc, argv, {{"help", false}}, args, error))
        return zelcli::UsageError("merge", error, kUsage);
    if (args.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.operands.size() != 3)
        return zelcli::UsageError(
            "merge", "three files are needed, " + std::to_string(args.operands.size()) + " given",
            kUsage);
    const std::string in1 = args.operands[0], in2 = args.operands[1], out = args.operands[2];
    zel::TCaptureList first, second;
    for (auto [list, name] : {std::pair{&first, &in1}, std::pair{&second, &in2}}) {
        const zel::CaptureFileLoad lu = zel::LoadCaptureFile(*name, *list);
        // An empty file merges as nothing; a line that is not a record would land out of order.
        const bool ok = lu.status == zel::PasErreur || lu.status == zel::pb_conf_compteur ||
                        (lu.status == zel::Fichier_Vide && list->empty());
        if (!ok) {
            std::fprintf(stderr, "%s\n", zel::LoadFailureText(*name, lu).c_str());
            return 1;
        }
    }
    zel::CombineCSV(first, second);
    if (!second.save(out)) {
        std::fprintf(stderr, "%s: %s\n", zel::GetMessagePgm(zel::pb_ecr_fichier).c_str(),
                     out.c_str());
        return 1;
    }
    return 0;
}

const zelcli::Register reg("merge", "FILE1 FILE2 OUT  merge two capture files", run_merge);

} // namespace
