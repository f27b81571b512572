#include "platform/posix/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "platform/common/profile_text.h"

namespace profile {

namespace {

bool is_regular_or_missing(const std::string& path, bool& exists) {
  struct stat sb {};
  if (::stat(path.c_str(), &sb) != 0) {
    exists = false;
    return errno == ENOENT;
  }
  exists = true;
  return S_ISREG(sb.st_mode);
}

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
  bool exists = false;
  if (!is_regular_or_missing(path, exists) || !exists) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

void make_parent_dirs(const std::string& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
  }
}

}  // namespace

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size) {
  std::vector<std::string> lines;
  read_lines(path, lines);
  return find_value(lines, section, key, def, size);
}

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value) {
  bool exists = false;
  if (!is_regular_or_missing(path, exists)) return false;  // a folder or something else: leave it
  std::vector<std::string> lines;
  if (exists && !read_lines(path, lines)) return false;   // unreadable: never overwrite it
  set_value(lines, section, key, value);

  make_parent_dirs(path);
  const std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace profile
