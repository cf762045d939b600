#pragma once
// Text lists and text files. Lines end in CR LF on writing; CR, LF or CR LF end a line on
// reading. Our files are UTF-8 without BOM; a file with a BOM is read in the encoding it names
// (UTF-8, UTF-16 LE/BE); a file that is not valid UTF-8 is read as Windows-1252.
#include <string>
#include <string_view>
#include <vector>

namespace zel {

using TextList = std::vector<std::string>;

// Bytes of a text file -> UTF-8 text (BOM removed).
std::string DecodeText(std::string_view bytes);
bool IsValidUtf8(std::string_view s);
std::string Cp1252ToUtf8(std::string_view s);

// Splits on CR, LF or CR LF. A final line end does not make an empty last line.
void SplitLines(std::string_view text, TextList& lines);
// Lines joined, each followed by CR LF.
std::string JoinLines(const TextList& lines);

// Reads a whole file. On failure returns false with the errno in *err (when given).
bool ReadFileBytes(const std::string& path, std::string& bytes, int* err = nullptr);
// Reads a text file into lines (replacing what `lines` held). False and errno when unreadable.
bool LoadTextFile(const std::string& path, TextList& lines, int* err = nullptr);

// Replaces `path` atomically: a sibling temporary file is written, flushed to disk and renamed
// over the target, so the file holds either its old or its new content, never a part.
// On failure the old file is untouched, the temporary removed, and *err holds the errno.
// `mode`: the new file's permissions (0600 for a file that holds a password), before the umask.
bool AtomicWriteFile(const std::string& path, std::string_view bytes, int* err = nullptr,
                     unsigned mode = 0644);
// Removes from `dir` the temporaries of saves that were cut short ("<name>.tmp<pid>_<n>" whose
// process is no longer running) and returns how many. Those of live processes are left alone.
int RemoveStaleTemporaries(const std::string& dir);
// The lines with CR LF, written atomically.
bool SaveTextFile(const std::string& path, const TextList& lines, int* err = nullptr);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates one directory level; true when it exists afterwards.
bool CreateDir(const std::string& path);
// The directory of the running executable, without a trailing slash ("" when unknown).
std::string ExecutableDir();

} // namespace zel
