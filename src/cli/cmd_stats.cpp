// zelvanor-cli stats [--from DATE] [--to DATE] [--unit cpm|sv] [--dir DIR] [--gauss] [--json]
// FILE: the statistics of the "Statistiques" page for a capture file, for scripts: one
// name=value a line (or one JSON object), numbers always with ".".
//
// The file is mapped and read once, and its records are not kept: a year of minute records is
// counted in about the memory of the file itself.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "base/textfile.h"
#include "cli/commands.h"
#include "records/capture.h"
#include "records/counter.h"
#include "records/statistics.h"
#include "scan/scanner.h"
#include "settings/config.h"
#include "settings/messages.h"

namespace {

const char kUsage[] =
    "Usage: zelvanor-cli stats [--from DATE] [--to DATE] [--unit cpm|sv] [--dir DIR] [--gauss]\n"
    "                          [--json] FILE\n"
    "  Statistics of the capture FILE over a date window, as the \"Statistiques\" page shows\n"
    "  them. The window is the span of the records unless --from / --to give its ends\n"
    "  (year first, \"YYYY/MM/DD [HH:NN[:SS]]\"; a --to without a time includes that whole day).\n"
    "  Prints events, mean_cpm, sd_cpm, max_cpm, max_date, mean_usvh, sd_usvh and max_usvh,\n"
    "  one name=value a line (values empty when no record is in the window).\n"
    "  --unit  the unit of the distribution's classes (default cpm)\n"
    "  --dir   where the counter's configuration file is looked up (default: FILE's directory)\n"
    "  --gauss then print the distribution, one \"X;Y\" line per class (Y: share of records)\n"
    "  --json  print one JSON object instead (with --gauss, its \"distribution\" array)\n";

int Usage(const std::string& why) {
    return zelcli::UsageError("stats", why, kUsage);
}

// Year first, the time optional.
bool ParseDate(const std::string& text, bool end_of_day, zel::TDateTime& t) {
    zel::TAnalSynt v;
    v.SSynt = text;
    zel::SyntInit(v);
    if (zel::SyntDateTime(v, t, 0) && zel::SyntEnd(v)) return true;
    v.SSynt = text + (end_of_day ? " 23:59:59" : " 00:00:00");
    zel::SyntInit(v);
    return zel::SyntDateTime(v, t, 0) && zel::SyntEnd(v);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// At most `decimals` decimals, trailing zeros dropped, "." whatever the locale.
std::string Number(double v, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

// The shortest text that reads back as v.
std::string Exact(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The lines of a capture file as a capture list reads them: CR, LF or CR LF end a line;
// trailing blank lines are no records and are left out.
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {
        DropTerminator();
        for (;;) {
            const size_t at = rest_.find_last_of("\r\n");
            last_ = at == std::string_view::npos ? rest_ : rest_.substr(at + 1);
            if (rest_.empty() || !zel::IsBlankCaptureLine(last_)) break;
            rest_.remove_suffix(last_.size());
            DropTerminator();
        }
    }
    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        const size_t eol = LineEnd(rest_);
        line = rest_.substr(0, eol);
        if (eol == rest_.size()) {
            rest_ = {};
            return true;
        }
        const bool pair = rest_[eol] == '\r' && eol + 1 < rest_.size() && rest_[eol + 1] == '\n';
        rest_.remove_prefix(eol + (pair ? 2 : 1));
        return true;
    }
    std::string_view First() const { return rest_.substr(0, LineEnd(rest_)); }
    std::string_view Last() const { return last_; }
    bool Empty() const { return rest_.empty(); }

  private:
    // Where the first line of s ends (its size when it has no end). memchr, since a search for
    // either of two characters tests each byte against both in turn.
    static size_t LineEnd(std::string_view s) {
        const char* p = s.data();
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', s.size()));
        const size_t stop = nl ? static_cast<size_t>(nl - p) : s.size();
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop));
        return cr ? static_cast<size_t>(cr - p) : stop;
    }
    // The end of the last line: CR LF, LF or CR.
    void DropTerminator() {
        if (!rest_.empty() && rest_.back() == '\n')
            rest_.remove_suffix(1);
        else if (!rest_.empty() && rest_.back() == '\r') {
            rest_.remove_suffix(1);
            return;
        } else
            return;
        if (!rest_.empty() && rest_.back() == '\r') rest_.remove_suffix(1);
    }

    std::string_view rest_, last_;
};

bool IsAscii(std::string_view s) {
    unsigned char any = 0;
    for (char c : s)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// A file's bytes mapped rather than read: a year of records costs no copy of the file.
class MappedFile {
  public:
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile() = default;
    ~MappedFile() {
        if (data_) ::munmap(data_, size_);
    }
    bool Open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        if (ok && st.st_size > 0) {
            size_ = static_cast<size_t>(st.st_size);
            void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
            ok = p != MAP_FAILED;
            if (ok) {
                data_ = p;
                ::madvise(p, size_, MADV_SEQUENTIAL);
            }
        }
        ::close(fd);
        return ok;
    }
    std::string_view Bytes() const {
        return data_ ? std::string_view(static_cast<const char*>(data_), size_)
                     : std::string_view();
    }

  private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

void Print(const zel::Statistics& s, bool json, bool gauss, double class_width) {
    const bool any = s.events > 0;
    const std::string date = any && s.max_date != 0
                                 ? zel::FormatDateTime("YYYY/MM/DD HH:NN:SS", s.max_date, '/', ':')
                                 : std::string();
    const std::pair<const char*, std::string> values[] = {
        {"events", std::to_string(s.events)},
        {"mean_cpm", any ? Number(s.mean_cpm, 4) : ""},
        {"sd_cpm", any ? Number(s.sd_cpm, 4) : ""},
        {"max_cpm", any ? Number(s.max_cpm, 4) : ""},
        {"max_date", date},
        {"mean_usvh", any ? Number(s.mean_usvh, 6) : ""},
        {"sd_usvh", any ? Number(s.sd_usvh, 6) : ""},
        {"max_usvh", any ? Number(s.max_usvh, 6) : ""},
    };
    if (!json) {
        for (const auto& [name, value] : values)
            std::printf("%s=%s\n", name, value.c_str());
        if (gauss)
            for (const auto& [c, n] : s.classes)
                std::printf("%s;%s\n", Exact(c * class_width).c_str(),
                            Exact(static_cast<double>(n) / s.events).c_str());
        return;
    }
    std::string out = "{";
    for (const auto& [name, value] : values) {
        if (out.size() > 1) out += ',';
        out += '"';
        out += name;
        out += "\":";
        if (value.empty())
            out += "null";
        else if (std::string_view(name) == "max_date")
            out += '"' + value + '"';
        else
            out += value;
    }
    if (gauss) {
        out += ",\"distribution\":[";
        for (size_t i = 0; i < s.classes.size(); ++i) {
            const auto& [c, n] = s.classes[i];
            if (i) out += ',';
            out += "{\"x\":" + Exact(c * class_width) +
                   ",\"fraction\":" + Exact(static_cast<double>(n) / s.events) + "}";
        }
        out += ']';
    }
    out += "}\n";
    std::fputs(out.c_str(), stdout);
}

// A file with a line that is not a record: which line, or that none of them is a record (a
// configuration or a report opened by mistake). Exit status 1.
int NotRecords(const std::string& file, std::string_view text) {
    zel::CaptureFileLoad r;
    r.status = zel::Fichier_Vide;
    Lines lines(text);
    std::string_view line;
    for (int32_t n = 1; lines.Next(line); ++n) {
        zel::TCaptureRecord rec;
        if (zel::LireLigneCSV(line, rec))
            r.status = zel::Pb_Fichier_Log;
        else if (r.line == 0)
            r.line = n;
    }
    // Every line a record: the computation itself failed.
    const bool found = r.status == zel::Fichier_Vide || r.line != 0;
    std::fprintf(stderr, "%s\n",
                 found ? zel::LoadFailureText(file, r).c_str()
                       : zel::GetMessagePgm(zel::Pb_Fichier_Log).c_str());
    return 1;
}

int run_stats(int argc, char** argv) {
    zel::ParsedArgs args;
    std::string error;
    if (!zelcli::ParseCommandArgs(argc, argv,
                                  {{"from", true},
                                   {"to", true},
                                   {"unit", true},
                                   {"dir", true},
                                   {"gauss", false},
                                   {"json", false},
                                   {"help", false}},
                                  args, error))
        return Usage(error);
    if (args.has("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.operands.empty()) return Usage("a capture file is required");
    if (args.operands.size() > 1) return Usage("one capture file only");
    const std::string file = args.operands[0];
    const std::string unit = args.has("unit") ? *args.last("unit") : "cpm";
    if (unit != "cpm" && unit != "sv") return Usage("--unit: cpm or sv, not " + unit);
    zel::TDateTime t_from = 0, t_to = 0;
    const std::string* from = args.last("from");
    const std::string* to = args.last("to");
    if (from && !ParseDate(*from, false, t_from))
        return Usage("--from: " + *from + " is not a date YYYY/MM/DD [HH:NN[:SS]]");
    if (to && !ParseDate(*to, true, t_to))
        return Usage("--to: " + *to + " is not a date YYYY/MM/DD [HH:NN[:SS]]");

    using namespace zel;
    const std::string* dir = args.last("dir");
    Repertoire_conf = dir && !dir->empty() ? *dir : DirectoryOf(file);
    if (Repertoire_conf.back() != '/') Repertoire_conf += '/';

    MappedFile mapped;
    if (!mapped.Open(file)) {
        std::fprintf(stderr, "%s%s\n", GetMessagePgm(Pb_ouvrir_fichier).c_str(), file.c_str());
        return 1;
    }
    // Our files are ASCII; only others go through the encoding detection.
    std::string decoded;
    std::string_view text = mapped.Bytes();
    if (!IsAscii(text)) {
        decoded = DecodeText(text);
        text = decoded;
    }

    double factor = 0;
    TTypeCompteur model = NotInitialized;
    // The records are there, their counter's file perhaps not: the factor and model defaults.
    if (!LireConfCompteur(file, factor, model))
        std::fprintf(stderr, "%s\n", GetMessagePgm(pb_conf_compteur).c_str());

    // The window: the span of the records, as the window takes it when a file is opened.
    Lines lines(text);
    StatisticsWindow window;
    if (!lines.Empty()) {
        TCaptureRecord first, last;
        if (!LireLigneCSV(lines.First(), first) || !LireLigneCSV(lines.Last(), last))
            return NotRecords(file, text);
        window = {first.T, last.T};
        if (DateMs(first.T) > DateMs(last.T)) std::swap(window.from, window.to);
        if (window.from == 0) window.from = Now();
        if (window.to == 0) window.to = Now();
    }
    if (from) window.from = t_from;
    if (to) window.to = t_to;

    StatisticsAccumulator acc(window, factor, model);
    std::string_view line;
    while (lines.Next(line)) {
        TCaptureRecord r;
        LireLigneCSV(line, r);
        double v;
        if (acc.Add(r, DateMs(r.T), v) == StatisticsAccumulator::Step::End) break;
    }
    const Statistics s = acc.Result();
    if (!s.valid) return NotRecords(file, text);
    Print(s, args.has("json"), args.has("gauss"), unit == "cpm" ? 1.0 : factor);
    return 0;
}

const zelcli::Register reg("stats", "[--from D] [--to D] [--unit cpm|sv] [--json] FILE  statistics",
                           run_stats);

} // namespace
