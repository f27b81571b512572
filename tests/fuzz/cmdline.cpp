// The program's own options: any arguments parse without a fault, and sizes and counts stay in
// their bounds whatever is given.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Arguments are separated by NUL bytes, as in /proc/PID/cmdline.
  std::vector<std::string> argv;
  std::string arg;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      argv.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  argv.push_back(arg);
  const wumpets::Options o = wumpets::parse_options(argv);
  for (int side : {o.window_width, o.window_height, o.render_width, o.render_height})
    if (side < 1 || side > 16384) std::abort();
  if (o.frames < 0 || o.frames > 1000000) std::abort();
  wumpets::options_help();
  return 0;
}
