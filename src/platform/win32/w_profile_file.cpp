// The settings file on Windows: the same format as on POSIX systems (platform/common/profile_text),
// read whole with a size cap and written as one change through a fresh, uniquely named file in
// the same folder that then replaces the old one. The program's Apply writes through it, and so
// does the headless back end when the tests run under Wine.
#include <windows.h>

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
  wchar_t tmp[MAX_PATH + 1] = {};
  if (GetTempFileNameW(wide_path(folder).c_str(), L"zw", 0, tmp) == 0) return fail("its folder cannot be written: " + last_error_text());
  HANDLE h = CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const std::string reason = last_error_text();
    DeleteFileW(tmp);
    return fail("its folder cannot be written: " + reason);
  }
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
