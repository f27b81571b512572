// Set-up of the Linux back end by the program's entry, before the core runs.
#pragma once

#include <string>

#include "startup/options.h"

namespace linuxplat {

// Records the options and the command line; takes the per-user instance lock.
void configure(const wumpets::Options& options, const std::string& program_path);
const wumpets::Options& options();

// The folder of the running program (for data/ and site/ next to it).
std::string program_dir();

}  // namespace linuxplat
