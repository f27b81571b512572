// The private-profile format as text, with no file access: a sectioned key=value file whose
// section and key names compare without regard to case and whose values come back trimmed.
// Each back end reads and writes the file its own way and uses these to find and set values.
#pragma once

#include <string>
#include <vector>

namespace profile {

// The value of key in section, at most (size - 1) characters; def when either is missing.
std::string find_value(const std::vector<std::string>& lines, const std::string& section,
                       const std::string& key, const std::string& def, int size);

// Sets key in section, adding the section at the end and the key after the section's last
// entry when missing; every other section, key, comment and unreadable line stays as it was.
// The value is kept to one line: line breaks and NULs would split or cut the file.
void set_value(std::vector<std::string>& lines, const std::string& section, const std::string& key,
               const std::string& value);

}  // namespace profile
