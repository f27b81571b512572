// The private-profile format as text, with no file access: a sectioned key=value file whose
// section and key names compare without regard to case and whose values come back trimmed.
// Each back end reads and writes the file its own way and uses these to find and set values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

// A settings file is a small text file; anything larger is not ours to read or rewrite.
inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;

// How a file's text is stored, so that a rewrite stores it the same way: plain bytes, UTF-8 after
// a byte-order mark (as Notepad writes it), or UTF-16 after its mark (as Windows itself reads
// and writes settings files). UTF-16 text is handed out as UTF-8.
enum class Encoding { Plain, Utf8Mark, Utf16Le, Utf16Be };

// Splits a file's text into lines (LF or CR LF). A tail of NUL bytes (what a crash in the middle
// of a write leaves) ends the text: every line before it is kept. False, with no lines, when the
// text is not a settings file: larger than kMaxFileBytes, or NUL bytes among the text (UTF-16
// without its mark, or a binary file).
bool split_lines(std::string_view text, std::vector<std::string>& lines, Encoding* encoding = nullptr);

// The file's bytes for these lines, each ended by eol, stored as encoding.
std::string join_lines(const std::vector<std::string>& lines, const char* eol, Encoding encoding);

// The value of key in section, at most (size - 1) characters (a UTF-8 character counts as one);
// def when either is missing.
std::string find_value(const std::vector<std::string>& lines, const std::string& section,
                       const std::string& key, const std::string& def, int size);

// Sets key in section, adding the section at the end and the key after the section's last
// entry when missing; every other section, key, comment and unreadable line stays as it was.
// The value is kept to one line: line breaks and NULs would split or cut the file.
void set_value(std::vector<std::string>& lines, const std::string& section, const std::string& key,
               const std::string& value);

}  // namespace profile
