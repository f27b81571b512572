// The settings file on a POSIX file system (the format itself is platform/common/profile_text):
// a write creates the file and its folders when missing and goes to a temporary file that is then
// renamed over the old one, so a crash or a full disk never loses the old file.
#pragma once

#include <string>

namespace profile {

// The value, at most (size - 1) characters; def when the file, section or key is missing.
std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size);

// False when the file could not be written (the old file is then untouched).
bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value);

}  // namespace profile
