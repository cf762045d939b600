// The capture list container and the record line reader / writer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/regional.h"
#include "records/capture.h"
#include "scan/scanner.h"

namespace zel {
namespace {

constexpr size_t kBlockSize = 64 * 1024;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_date_sep(char c) {
    return c == '/' || c == '.' || c == '-';
}
int two_digits(const char* p) {
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// The scanner's integer: optional sign, digits. Only runs short enough to read the same as the
// scanner (which keeps 27 bits) are taken here; anything else goes the slow way.
bool quick_int(const char*& p, const char* end, int32_t& n) {
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }
    const char* start = p;
    int32_t v = 0;
    while (p < end && is_digit(*p)) {
        if (p - start == 8) return false;
        v = v * 10 + (*p - '0');
        ++p;
    }
    if (p == start) return false;
    n = neg ? -v : v;
    return true;
}

// The line as we write it ("2024/03/15 08:05:00;60;23", any of "/.-" in the date): read
// without the scanner. False means "not sure": the caller reads the line with the scanner.
bool quick_read(std::string_view line, TCaptureRecord& R) {
    if (line.size() < 23) return false;
    const char* p = line.data();
    const char* end = p + line.size();
    for (int k : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (!is_digit(p[k])) return false;
    if (!is_date_sep(p[4]) || !is_date_sep(p[7]) || p[10] != ' ' || p[13] != ':' || p[16] != ':' ||
        p[19] != ';')
        return false;
    const int year = two_digits(p) * 100 + two_digits(p + 2);
    if (year < 100) return false; // two-digit years depend on today's century
    TDateTime t;
    if (!TryEncodeDateTime(year, two_digits(p + 5), two_digits(p + 8), two_digits(p + 11),
                           two_digits(p + 14), two_digits(p + 17), 0, t))
        return false;
    const char* q = p + 20;
    int32_t duree, comptage;
    if (!quick_int(q, end, duree) || q == end || *q != ';') return false;
    ++q;
    if (!quick_int(q, end, comptage)) return false;
    R.T = t;
    R.Duree = duree;
    R.Comptage = comptage;
    R.Valide = true;
    return true;
}

bool is_blank_line(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > 32) return false;
    return true;
}

bool is_ascii(const std::string& s) {
    unsigned char acc = 0;
    for (char c : s)
        acc |= static_cast<unsigned char>(c);
    return acc < 0x80;
}

} // namespace

int64_t DateMs(TDateTime T) {
    // Before 1899-12-30 the time of day is a positive fraction behind a negative day number.
    const double day = std::trunc(T);
    const int64_t frac = std::llround(std::fabs(T - day) * MSecsPerDay);
    return static_cast<int64_t>(day) * 86400000 + frac;
}

bool LireLigneCSV(std::string_view line, TCaptureRecord& R) {
    R = TCaptureRecord{};
    if (quick_read(line, R)) return true;
    TAnalSynt V;
    V.SSynt.assign(line);
    SyntInit(V);
    R.Valide = SyntDateTime(V, R.T, 0) && SyntSep(V, ';') && SyntInt(V, R.Duree) &&
               SyntSep(V, ';') && SyntInt(V, R.Comptage);
    return R.Valide;
}

std::string FormatLigneCSV(TDateTime T, int32_t Duree, int32_t Comptage) {
    // The regional date separator, as long as our reader takes it back; the time always with
    // ":", the only time separator the reader knows. A region writing "08.05.00" would make
    // every record of its own files unreadable (appends out of order, merges to the end,
    // statistics failing).
    char date_sep = Regional().date_sep;
    if (!is_date_sep(date_sep)) date_sep = '/';
    return FormatDateTime("YYYY/MM/DD HH:NN:SS", T, date_sep, ':') + ';' + std::to_string(Duree) +
           ';' + std::to_string(Comptage);
}

// ---- TCaptureList -----------------------------------------------------------------------

TCaptureList::TCaptureList(const TCaptureList& other)
    : entries_(other.entries_), blocks_(other.blocks_) {}

TCaptureList& TCaptureList::operator=(const TCaptureList& other) {
    if (this != &other) {
        entries_ = other.entries_;
        blocks_ = other.blocks_;
        tail_ = nullptr;
        tail_free_ = 0;
    }
    return *this;
}

TCaptureList::TCaptureList(TCaptureList&& other) noexcept
    : entries_(std::move(other.entries_)), blocks_(std::move(other.blocks_)), tail_(other.tail_),
      tail_free_(other.tail_free_) {
    other.entries_.clear();
    other.blocks_.clear();
    other.tail_ = nullptr;
    other.tail_free_ = 0;
}

TCaptureList& TCaptureList::operator=(TCaptureList&& other) noexcept {
    if (this != &other) {
        entries_ = std::move(other.entries_);
        blocks_ = std::move(other.blocks_);
        tail_ = other.tail_;
        tail_free_ = other.tail_free_;
        other.entries_.clear();
        other.blocks_.clear();
        other.tail_ = nullptr;
        other.tail_free_ = 0;
    }
    return *this;
}

const char* TCaptureList::store(std::string_view line) {
    if (line.empty()) return "";
    if (line.size() > tail_free_) {
        auto block = std::make_shared<std::string>(std::max(kBlockSize, line.size()), '\0');
        tail_ = block->data();
        tail_free_ = block->size();
        blocks_.push_back(std::move(block));
    }
    char* at = tail_;
    std::memcpy(at, line.data(), line.size());
    tail_ += line.size();
    tail_free_ -= line.size();
    return at;
}

TCaptureList::Entry TCaptureList::make_entry(std::string_view line) {
    Entry e;
    LireLigneCSV(line, e);
    e.ms = DateMs(e.T);
    e.text = store(line);
    e.len = static_cast<uint32_t>(line.size());
    return e;
}

void TCaptureList::clear() {
    entries_.clear();
    blocks_.clear();
    tail_ = nullptr;
    tail_free_ = 0;
}

void TCaptureList::push_back(std::string_view line) {
    entries_.push_back(make_entry(line));
}
void TCaptureList::push_front(std::string_view line) {
    entries_.push_front(make_entry(line));
}

void TCaptureList::insert(size_t i, std::string_view line) {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(i), make_entry(line));
}

void TCaptureList::erase(size_t i) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TCaptureList::assign(const TextList& lines) {
    clear();
    for (const auto& l : lines)
        push_back(l);
}

void TCaptureList::assign_text(std::string text) {
    clear();
    auto block = std::make_shared<std::string>(std::move(text));
    const char* p = block->data();
    const char* const end = p + block->size();
    blocks_.push_back(std::move(block));
    // Lines point into the block: a loaded file costs one copy of its bytes, not one per line.
    auto emit = [this](const char* from, const char* to) {
        Entry e;
        const std::string_view l(from, static_cast<size_t>(to - from));
        LireLigneCSV(l, e);
        e.ms = DateMs(e.T);
        e.text = from;
        e.len = static_cast<uint32_t>(l.size());
        entries_.push_back(e);
    };
    const char* start = p;
    while (p < end) {
        const char* nl =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = nl ? nl : end;
        const char* cr =
            static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
        const char* eol = cr ? cr : nl;
        if (!eol) break;
        emit(start, eol);
        if (*eol == '\r' && eol + 1 < end && eol[1] == '\n') ++eol;
        p = start = eol + 1;
    }
    if (start < end) emit(start, end);
}

TextList TCaptureList::lines() const {
    TextList out;
    out.reserve(entries_.size());
    for (const auto& e : entries_)
        out.emplace_back(e.line());
    return out;
}

std::string TCaptureList::text() const {
    size_t total = 0;
    for (const auto& e : entries_)
        total += e.len + 2;
    std::string out;
    out.resize(total);
    char* w = out.data();
    for (const auto& e : entries_) {
        if (e.len) std::memcpy(w, e.text, e.len);
        w += e.len;
        *w++ = '\r';
        *w++ = '\n';
    }
    return out;
}

bool TCaptureList::load(const std::string& path, int* err) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes, err)) return false;
    // Our files are ASCII; only others go through the encoding detection.
    if (is_ascii(bytes))
        assign_text(std::move(bytes));
    else
        assign_text(DecodeText(bytes));
    return true;
}

void TCaptureList::drop_trailing_blanks() {
    while (!entries_.empty() && is_blank_line(entries_.back().line()))
        entries_.pop_back();
}

bool TCaptureList::save(const std::string& path, int* err) const {
    return AtomicWriteFile(path, text(), err);
}

bool IsBlankCaptureLine(std::string_view s) {
    return is_blank_line(s);
}

} // namespace zel
