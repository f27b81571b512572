// Saver-mode start-up helpers: the operating-system family, one registry value as a number, and
// the system's saver-running state (which takes task switching away on the 95 family).
#include <cctype>
#include <cstdio>

#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

std::string sys_GetVersion32(Starter& st) {
  std::string result;
  guarded(st, "Starter/sys_GetVersion32", [&] {
    switch (plat::os_platform_id()) {
      case 1: result = "95"; break;
      case 2: result = "NT"; break;
      default: result = "Unknown"; break;
    }
  });
  return result;
}

Integer sys_GetRegValue(std::uint32_t rootkey, const std::string& subkey, const std::string& valuename) {
  // Every step goes on after a run-time error, without a report.
  plat::Handle key = 0;
  std::string text;
  Integer result = 0;
  ignoring_errors([&] { key = plat::registry_open(rootkey, subkey); });
  ignoring_errors([&] {
    std::uint32_t type = 0;
    std::string bytes(2048, ' ');
    std::int32_t status = plat::registry_query(key, valuename, type, bytes, 2048);
    std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
    if (status != 0) {
      text = "Not Found";
      return;
    }
    if (type == 4 && bytes.size() >= 4) {  // REG_DWORD: little-endian, written with 3+ digits
      auto b = [&](int i) { return static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]); };
      Long low = long_add(long_add(b(0), long_mul(b(1), 256)), long_mul(b(2), 65536));
      double value = static_cast<double>(b(3)) * 16777216.0 + low;
      char buf[32];
      std::snprintf(buf, sizeof buf, "%03.0f", value);
      bytes = buf;
    }
    // Keep (size - 1) characters: drops a text's terminating NUL; keeps three digits of a number.
    if (size == 0) raise_error(kInvalidArgument);
    text = bytes.substr(0, size - 1);
  });
  ignoring_errors([&] { plat::registry_close(key); });
  ignoring_errors([&] { result = to_integer(number_of_text(text)); });
  return result;
}

void sys_SetTFS(Starter& st, const std::string& mode) {
  guarded(st, "Starter/sys_SetTFS", [&] {
    if (!(st.winversion == "95" && st.usepassword == 1)) return;
    std::string lower = mode;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "disable") plat::set_saver_running(true);
    if (lower == "enable") plat::set_saver_running(false);
  });
}

}  // namespace wumpets
