// Files for the headless back end when the tests are built for Windows: the settings file
// (the same format as on POSIX systems, written to a temporary file that then replaces the old
// one) and bitmap files for the memory-DC table, read with LoadImageA. The Windows program itself
// uses the system's private-profile calls and its own DIB sections instead.
#include <algorithm>

#include "platform/common/memdc.h"
#include "platform/common/profile_text.h"
#include "platform/posix/profile_file.h"
#include "platform/win32/w_dib.h"

namespace profile {

namespace {

// False when the path is something other than a file or nothing.
bool is_file_or_missing(const std::string& path, bool& exists) {
  const DWORD a = GetFileAttributesA(path.c_str());
  exists = a != INVALID_FILE_ATTRIBUTES;
  if (!exists) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  return !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t parse_count = 0;

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
  ++parse_count;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string text;
  char buf[4096];
  DWORD n = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &n, nullptr) != FALSE) && n > 0) text.append(buf, n);
  CloseHandle(h);
  // Too large, or UTF-16: not a settings file, never rewritten.
  return ok && split_lines(text, lines);
}

}  // namespace

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size) {
  std::vector<std::string> lines;
  bool exists = false;
  if (is_file_or_missing(path, exists) && exists) read_lines(path, lines);
  return find_value(lines, section, key, def, size);
}

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value) {
  return write_all(path, section, {{key, value}});
}

bool write_all(const std::string& path, const std::string& section, const Entries& entries) {
  bool exists = false;
  if (!is_file_or_missing(path, exists)) return false;  // a folder or something else: leave it
  std::vector<std::string> lines;
  if (exists && !read_lines(path, lines)) return false;
  for (const auto& [key, value] : entries) set_value(lines, section, key, value);
  for (std::size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/' || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  const std::string tmp = path + ".tmp";
  HANDLE h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  DWORD written = 0;
  bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  // rename() of the C runtime cannot replace an existing file on Windows.
  ok = ok && MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(tmp.c_str());
  return ok;
}

std::uint64_t parses() { return parse_count; }

}  // namespace profile

namespace memdc {

bool read_bmp(const std::string& path, wumpets::PixelBuffer& out) {
  std::shared_ptr<win32::Dib> dib = win32::read_bitmap_file(path);
  if (!dib) return false;
  out = wumpets::PixelBuffer(dib->pixels.width, dib->pixels.height);
  for (int y = 0; y < out.height; ++y)
    std::copy(dib->pixels.row(y), dib->pixels.row(y) + out.width, out.row(y));
  return true;
}

std::string file_stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return "";
  return path + '|' + std::to_string(a.nFileSizeLow) + '|' + std::to_string(a.ftLastWriteTime.dwHighDateTime) + '.' +
         std::to_string(a.ftLastWriteTime.dwLowDateTime);
}

}  // namespace memdc
