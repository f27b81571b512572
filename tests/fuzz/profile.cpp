// The settings file as text: any bytes split, read and updated without a fault, and a value set
// is the value read back (one line, trimmed, at most 127 characters, never cut inside a UTF-8
// character).
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/common/profile_text.h"
#include "platform/common/text_utf8.h"

namespace {

std::string expected(std::string v) {
  for (char& c : v)
    if (c == '\n' || c == '\r' || c == '\0') c = ' ';
  std::size_t b = 0, e = v.size();
  while (b < e && std::isspace(static_cast<unsigned char>(v[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(v[e - 1]))) --e;
  v = v.substr(b, e - b);
  // Characters counted one by one, independently of the reader's own cut.
  std::size_t end = 0;
  for (int n = 0; n < 127 && end < v.size(); ++n) {
    const std::size_t len = text::utf8_length(v, end);
    end += len ? len : 1;
  }
  v.resize(end);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first line of the input is a value to set; the rest is the file.
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t nl = all.find('\n');
  const std::string value(all.substr(0, nl == std::string_view::npos ? 0 : nl));
  const std::string_view text = nl == std::string_view::npos ? all : all.substr(nl + 1);
  std::vector<std::string> lines;
  if (!profile::split_lines(text, lines)) return 0;
  for (const char* key : {"firstrun", "speed", "messagetext"}) profile::find_value(lines, "Zelkin Wumpets", key, "", 128);
  profile::set_value(lines, "Zelkin Wumpets", "speed", value);
  if (profile::find_value(lines, "Zelkin Wumpets", "speed", "<none>", 128) != expected(value)) std::abort();
  return 0;
}
