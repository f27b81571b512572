#include "platform/common/profile_text.h"

#include "platform/common/text_utf8.h"

#include <cctype>
#include <cstdint>

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

namespace {

void put_utf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6), out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12), out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18), out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 (after its mark) as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
  std::string out;
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<std::uint32_t>(big_endian ? a << 8 | b : b << 8 | a);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    put_utf8(out, c);
  }
  return out;
}

// UTF-8 as UTF-16; a byte that starts no UTF-8 character is taken as the character of that
// number (Latin-1), so nothing is lost.
std::string utf8_to_utf16(std::string_view text, bool big_endian) {
  std::string out;
  auto put = [&](std::uint32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += big_endian ? hi : lo, out += big_endian ? lo : hi;
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    int n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    std::uint32_t c = n <= 0 ? b : b & (0x3F >> n);
    bool good = n >= 0 && i + static_cast<std::size_t>(n) < text.size();
    for (int k = 1; good && k <= n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      good = (t & 0xC0) == 0x80;
      c = c << 6 | (t & 0x3F);
    }
    if (!good || n < 0) c = b, n = 0;
    i += static_cast<std::size_t>(n) + 1;
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

}  // namespace

bool split_lines(std::string_view text, std::vector<std::string>& lines, Encoding* encoding) {
  lines.clear();
  if (text.size() > kMaxFileBytes) return false;
  Encoding form = Encoding::Plain;
  std::string decoded;
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    form = text[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
    decoded = utf16_to_utf8(text.substr(2), form == Encoding::Utf16Be);
    text = decoded;
  } else if (text.starts_with("\xEF\xBB\xBF")) {
    form = Encoding::Utf8Mark;
    text.remove_prefix(3);
  }
  // A tail of NULs is damage: the text ends there. NULs with text after them are no settings file.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    if (text.find_first_not_of('\0', nul) != std::string_view::npos) return false;
    text = text.substr(0, nul);
  }
  if (encoding) *encoding = form;
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

std::string join_lines(const std::vector<std::string>& lines, const char* eol, Encoding encoding) {
  std::string text;
  for (const std::string& l : lines) text += l + eol;
  switch (encoding) {
    case Encoding::Plain: return text;
    case Encoding::Utf8Mark: return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16Le: return "\xFF\xFE" + utf8_to_utf16(text, false);
    case Encoding::Utf16Be: return "\xFE\xFF" + utf8_to_utf16(text, true);
  }
  return text;
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
  // The buffer holds characters: a UTF-8 one is never cut in two.
  return text::first_characters(result, static_cast<std::size_t>(size - 1));
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
