#include "platform/common/text_utf8.h"

#include <cstdint>

namespace text {

std::size_t utf8_length(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned lead = b(0);
  if (lead < 0x80) return 1;
  std::size_t n = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range: no overlong forms, no surrogates
  if (lead >= 0xC2 && lead <= 0xDF) n = 2;
  else if (lead == 0xE0) n = 3, low = 0xA0;
  else if (lead >= 0xE1 && lead <= 0xEF) n = 3, high = lead == 0xED ? 0x9F : 0xBF;
  else if (lead == 0xF0) n = 4, low = 0x90;
  else if (lead >= 0xF1 && lead <= 0xF4) n = 4, high = lead == 0xF4 ? 0x8F : 0xBF;
  else return 0;
  if (i + n > s.size()) return 0;
  if (b(1) < low || b(1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((b(k) & 0xC0) != 0x80) return 0;
  return n;
}

std::size_t characters(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) {
    const std::size_t n = utf8_length(s, i);
    i += n ? n : 1;
  }
  return count;
}

std::string first_characters(std::string_view s, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t c = 0; c < count && i < s.size(); ++c) {
    const std::size_t n = utf8_length(s, i);
    i += n ? n : 1;
  }
  return std::string(s.substr(0, i));
}

std::string to_utf8(std::string_view s) {
  // The code page's 0x80..0x9F; 0 where it defines nothing.
  static constexpr char16_t kCp1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (const std::size_t n = utf8_length(s, i)) {
      out.append(s.substr(i, n));
      i += n;
      continue;
    }
    std::uint32_t c = static_cast<unsigned char>(s[i++]);
    if (c >= 0x80 && c < 0xA0) c = kCp1252[c - 0x80] ? kCp1252[c - 0x80] : '?';
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace text
