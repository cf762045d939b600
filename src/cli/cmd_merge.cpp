// zelvanor-cli merge FILE1 FILE2 OUT: the records of FILE1 merged into those of FILE2, written to
// OUT. Unlike the window's merge, no per-counter configuration is needed: any capture file will do.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "records/capture.h"
#include "settings/messages.h"

namespace {

int run_merge(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("Usage: zelvanor-cli merge FILE1 FILE2 OUT\n"
                   "  Merges the records of FILE1 into those of FILE2 and writes them to OUT.\n",
                   stderr);
        return 2;
    }
    const std::string in1 = argv[1], in2 = argv[2], out = argv[3];
    zel::TCaptureList first, second;
    for (auto [list, name] : {std::pair{&first, &in1}, std::pair{&second, &in2}}) {
        if (!list->load(*name)) {
            std::fprintf(stderr, "%s%s\n", zel::GetMessagePgm(zel::Pb_ouvrir_fichier).c_str(),
                         name->c_str());
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
