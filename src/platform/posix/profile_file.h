// The settings file on a POSIX file system (the format itself is platform/common/profile_text).
//
// Reading parses the file once and keeps the lines while the file stays the same, so a load of
// thirty keys reads it once. A file that is too large or not text (UTF-16, say) reads as empty
// and is never written over.
//
// Writing changes many keys as one transaction: under an advisory lock on the file's folder (two
// writers never lose each other's keys), the new text goes to a fresh temporary file in the same folder
// (random name, created exclusively) that is then renamed over the old one, so a crash or a full
// disk leaves the old file whole. A symbolic link is written through to its target, as editors
// do; the file keeps its mode; a read-only file is not replaced.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace profile {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The value, at most (size - 1) characters; def when the file, section or key is missing.
std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& def, int size);

// False when the file could not be written (the old file is then untouched); `why` then says
// why, in words a user can act on.
bool write(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value, std::string* why = nullptr);
bool write_all(const std::string& path, const std::string& section, const Entries& entries,
               std::string* why = nullptr);

// A write as the platform interface reports it: done, or the file's path and the reason.
inline plat::ProfileWrite write_reported(const std::string& path, const std::string& section, const Entries& entries) {
  plat::ProfileWrite result;
  result.path = path;
  result.ok = write_all(path, section, entries, &result.reason);
  return result;
}

// How many times a file's text was parsed since the start (a load must parse it once).
std::uint64_t parses();

}  // namespace profile
