#include "platform/common/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace profile {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool same(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// "[name]" -> name; false for any other line.
bool section_name(const std::string& line, std::string& name) {
  std::string t = trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = trim(t.substr(1, close - 1));
  return true;
}

// "key=value" -> key, value; false for comments and lines without '='.
bool key_value(const std::string& line, std::string& key, std::string& value) {
  std::string t = trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  std::size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = trim(line.substr(0, eq));
  value = trim(line.substr(eq + 1));
  return !key.empty();
}

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

// A value of one line: line breaks and NULs would split or cut the file.
std::string one_line(const std::string& value) {
  std::string v = value;
  for (char& c : v)
    if (c == '\n' || c == '\r' || c == '\0') c = ' ';
  return v;
}

void make_parent_dirs(const std::string& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
  }
}

}  // namespace

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size) {
  std::string result = def;
  std::vector<std::string> lines;
  if (read_lines(path, lines)) {
    bool in_section = false;
    for (const std::string& line : lines) {
      std::string name, k, v;
      if (section_name(line, name)) {
        in_section = same(name, section);
      } else if (in_section && key_value(line, k, v) && same(k, key)) {
        result = v;
        break;
      }
    }
  }
  if (size <= 0) return "";
  if (result.size() > static_cast<std::size_t>(size - 1)) result.resize(static_cast<std::size_t>(size - 1));
  return result;
}

bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value) {
  bool exists = false;
  if (!is_regular_or_missing(path, exists)) return false;  // a folder or something else: leave it
  std::vector<std::string> lines;
  if (exists && !read_lines(path, lines)) return false;   // unreadable: never overwrite it

  const std::string entry = key + "=" + one_line(value);
  bool in_section = false, done = false;
  std::size_t last_of_section = std::string::npos;  // where a new key of the section goes
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    std::string name, k, v;
    if (section_name(lines[i], name)) {
      if (in_section) break;
      in_section = same(name, section);
      if (in_section) last_of_section = i;
    } else if (in_section) {
      if (key_value(lines[i], k, v) && same(k, key)) {
        lines[i] = k + "=" + one_line(value);
        done = true;
      } else if (!trim(lines[i]).empty()) {
        last_of_section = i;
      }
    }
  }
  if (!done) {
    if (last_of_section != std::string::npos) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_of_section) + 1, entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }

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
