// Surfaces: an off-screen DC holding one bitmap loaded from a file. Every picture the saver
// shows lives in one; the program never makes an empty bitmap of its own.
#pragma once

#include <string>

#include "platform/platform.h"

namespace wumpets {

struct Starter;

// A new surface holding the bitmap file at path. A missing or unreadable file still gives a live
// (empty, black) surface. Returns 0 only after a reported error.
plat::Handle GenerateDC(Starter& st, const std::string& path);

// Deletes a surface whose handle is > 0; returns the platform's result, or 0 for other handles.
int sys_deleteDC(Starter& st, plat::Handle handle);

}  // namespace wumpets
