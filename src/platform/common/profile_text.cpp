#include "platform/common/profile_text.h"

#include <cctype>

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

std::string one_line(const std::string& value) {
  std::string v = value;
  for (char& c : v)
    if (c == '\n' || c == '\r' || c == '\0') c = ' ';
  return v;
}

}  // namespace

bool split_lines(std::string_view text, std::vector<std::string>& lines) {
  lines.clear();
  if (text.size() > kMaxFileBytes || text.find('\0') != std::string_view::npos) return false;
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) return false;  // UTF-16 marks
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return true;
}

std::string find_value(const std::vector<std::string>& lines, const std::string& section,
                       const std::string& key, const std::string& def, int size) {
  std::string result = def;
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
  if (size <= 0) return "";
  if (result.size() > static_cast<std::size_t>(size - 1)) result.resize(static_cast<std::size_t>(size - 1));
  return result;
}

void set_value(std::vector<std::string>& lines, const std::string& section, const std::string& key,
               const std::string& value) {
  const std::string entry = key + "=" + one_line(value);
  bool in_section = false;
  std::size_t last_of_section = std::string::npos;  // where a new key of the section goes
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string name, k, v;
    if (section_name(lines[i], name)) {
      if (in_section) break;
      in_section = same(name, section);
      if (in_section) last_of_section = i;
    } else if (in_section) {
      if (key_value(lines[i], k, v) && same(k, key)) {
        lines[i] = k + "=" + one_line(value);
        return;
      }
      if (!trim(lines[i]).empty()) last_of_section = i;
    }
  }
  if (last_of_section != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_of_section) + 1, entry);
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
}

}  // namespace profile
