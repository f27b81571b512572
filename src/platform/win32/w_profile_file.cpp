// The settings file on Windows: the same format as on POSIX systems (platform/common/profile_text),
// read whole with a size cap and written as one change through a fresh, uniquely named file in
// the same folder that then replaces the old one. The program's Apply writes through it, and so
// does the headless back end when the tests run under Wine.
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/common/profile_text.h"
#include "platform/posix/profile_file.h"
#include "platform/win32/w_text.h"

using win32::wide_path;

namespace profile {

namespace {

// False when the path is something other than a file or nothing.
bool is_file_or_missing(const std::string& path, bool& exists) {
  const DWORD a = GetFileAttributesW(wide_path(path).c_str());
  exists = a != INVALID_FILE_ATTRIBUTES;
  if (!exists) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  return !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t parse_count = 0;

bool read_lines(const std::string& path, std::vector<std::string>& lines, Encoding* encoding = nullptr) {
  ++parse_count;
  HANDLE h = CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // The size first: a file larger than any settings file is never read.
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) && static_cast<std::uint64_t>(size.QuadPart) <= kMaxFileBytes;
  std::string text;
  char buf[4096];
  DWORD n = 0;
  while (ok && (ok = ReadFile(h, buf, sizeof buf, &n, nullptr) != FALSE) && n > 0) {
    text.append(buf, n);
    ok = text.size() <= kMaxFileBytes;
  }
  CloseHandle(h);
  return ok && split_lines(text, lines, encoding);
}

}  // namespace

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size) {
  std::vector<std::string> lines;
  bool exists = false;
  if (is_file_or_missing(path, exists) && exists) read_lines(path, lines);
  return find_value(lines, section, key, def, size);
}

namespace {

// The system's words for the last error, without the line end.
std::string last_error_text() {
  char buf[256] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
                                 buf, sizeof buf, nullptr);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
  return text.empty() ? "error " + std::to_string(GetLastError()) : text;
}

// The temporary file of a write: ".NAME.XXXXXX" beside the settings file, as on POSIX systems,
// so that one a killed writer left can be told from anyone else's files.
bool is_our_temporary(const std::string& prefix, const char* name) {
  const std::string n = name;
  if (n.size() != prefix.size() + 6 || n.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < n.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(n[i]))) return false;
  return true;
}

HANDLE create_temporary(const std::string& folder, const std::string& prefix, std::string& name) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uint64_t seed = GetTickCount64() * 6364136223846793005ULL ^ GetCurrentProcessId();
  for (int tries = 0; tries < 100; ++tries) {
    name = prefix;
    for (int i = 0; i < 6; ++i) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      name += kChars[(seed >> 33) % (sizeof kChars - 1)];
    }
    HANDLE h = CreateFileW(wide_path(folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

// A writer killed between making its temporary file and replacing the settings file leaves the
// temporary file behind; the next write removes such files: only our own name pattern, only
// plain files, and only ones left alone for a minute.
void remove_stale_temporaries(const std::string& folder, const std::string& prefix) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(wide_path(folder + "\\" + prefix + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  FILETIME now_ft{};
  GetSystemTimeAsFileTime(&now_ft);
  auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const std::uint64_t minute = 60ULL * 10000000ULL;  // in 100-nanosecond ticks
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::string name = win32::utf8(found.cFileName);
    if (!is_our_temporary(prefix, name.c_str())) continue;
    if (ticks(found.ftLastWriteTime) + minute < ticks(now_ft)) DeleteFileW(wide_path(folder + "\\" + name).c_str());
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

}  // namespace

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value, std::string* why) {
  return write_all(path, section, {{key, value}}, why);
}

// The settings written as one change: the new text goes to a fresh, uniquely named file in the
// same folder, which then replaces the old one; any failure leaves the old file whole and no
// temporary file behind.
bool write_all(const std::string& path, const std::string& section, const Entries& entries, std::string* why) {
  auto fail = [&](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  bool exists = false;
  if (!is_file_or_missing(path, exists)) return fail("it is not a plain file");
  const DWORD attributes = exists ? GetFileAttributesW(wide_path(path).c_str()) : 0;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return fail("the file is read-only");
  std::vector<std::string> lines;
  Encoding encoding = Encoding::Plain;
  if (exists && !read_lines(path, lines, &encoding)) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool large = GetFileAttributesExW(wide_path(path).c_str(), GetFileExInfoStandard, &data) &&
                       (data.nFileSizeHigh != 0 || data.nFileSizeLow > kMaxFileBytes);
    return fail(large ? "the file is larger than a settings file can be (1 MB)" : "the file is not a text file of settings");
  }
  for (const auto& [key, value] : entries) set_value(lines, section, key, value);
  for (std::size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/' || path[i] == '\\') CreateDirectoryW(wide_path(path.substr(0, i)).c_str(), nullptr);
  const std::size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string prefix = "." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
  remove_stale_temporaries(folder, prefix);
  std::string tmp_name;
  HANDLE h = create_temporary(folder, prefix, tmp_name);
  if (h == INVALID_HANDLE_VALUE) return fail("its folder cannot be written: " + last_error_text());
  const std::wstring tmp_path = wide_path(folder + "\\" + tmp_name);
  const wchar_t* tmp = tmp_path.c_str();
  const std::string text = join_lines(lines, "\r\n", encoding);
  DWORD written = 0;
  bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  // rename() of the C runtime cannot replace an existing file on Windows.
  ok = ok && MoveFileExW(tmp, wide_path(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    const std::string reason = last_error_text();
    DeleteFileW(tmp);
    return fail("it cannot be replaced: " + reason);
  }
  if (exists && attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(wide_path(path).c_str(), attributes);
  return true;
}

std::uint64_t parses() { return parse_count; }

}  // namespace profile
