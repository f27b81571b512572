// The program as a back end's entry starts it.
#include "platform/platform.h"
#include "startup/starter.h"

namespace plat {

void core_main(std::optional<std::uint64_t> seed, const std::vector<SettingOverride>& overrides) {
  static wumpets::Starter starter;  // lives for the whole process, like the module state it is
  starter.rng.set_fixed_seed(seed);
  starter.overrides = overrides;
  wumpets::Main(starter);
}

}  // namespace plat
