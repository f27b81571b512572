// Opening the back end's own modules (modules.h): found beside the program or in the installed
// library folder, checked against this build's stamp, kept open for the life of the process.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/linux/modules.h"

namespace linuxplat {

namespace {

struct Opened {
  bool tried = false;
  const void* table = nullptr;
  std::string why;  // why it cannot be had
};

struct ModuleState {
  Opened dialogs, text, music;
};

ModuleState& M() {
  static ModuleState s;
  return s;
}

// The module's entry, or null with the reason in `why`.
void* open_entry(const char* file, const char* entry, std::string& why) {
  std::string here = program_dir();
  if (here.empty()) {  // a test or benchmark, which never configured the back end
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    here = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string(".");
    here.erase(std::min(here.size(), here.rfind('/')));
  }
  const std::string places[] = {here + "/" + file, here + "/../lib/zelkin-wumpets/" + file,
                                std::string(WUMPETS_LIB_DIR "/") + file};
  for (const std::string& path : places) {
    if (::access(path.c_str(), F_OK) != 0) continue;
    // RTLD_LOCAL: its libraries' names stay its own; RTLD_NOW: a missing library is known here,
    // not halfway through a dialog.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      const char* error = ::dlerror();
      why = error ? error : path + " cannot be opened";
      return nullptr;
    }
    if (void* symbol = ::dlsym(module, entry)) return symbol;
    why = path + " has no " + entry;
    ::dlclose(module);
    return nullptr;
  }
  why = std::string(file) + " is in none of " + places[0] + ", " + places[1] + ", " + places[2];
  return nullptr;
}

bool same_build(const ModuleStamp& theirs, const char* file, std::string& why) {
  const ModuleStamp ours = module_stamp();
  if (theirs.version && std::strcmp(theirs.version, ours.version) == 0 && theirs.sizes == ours.sizes) return true;
  why = std::string(file) + " belongs to another build of the program (version " +
        (theirs.version ? theirs.version : "?") + ")";
  return false;
}

double host_dpi() { return screen_dpi(); }
const std::vector<IconPicture>& host_icons() { return app_icons(); }
std::string host_program_dir() { return program_dir(); }
std::string host_share_dir() { return share_dir(); }
linuxvideo::Monitor host_monitor(int monitor) { return linuxvideo::monitor_bounds(monitor); }
plat::ScreenMetrics host_metrics() { return plat::screen_metrics(); }

}  // namespace

const DialogModule* dialogs_module(std::string& why) {
  Opened& o = M().dialogs;
  if (!o.tried) {
    o.tried = true;
    static const DialogHost host{host_dpi, host_icons, host_program_dir, host_share_dir, host_monitor, host_metrics};
    if (void* entry = open_entry(kDialogsModule, kDialogsEntry, o.why)) {
      const DialogModule* table = reinterpret_cast<DialogsEntry>(entry)(&host);
      if (table && same_build(table->stamp, kDialogsModule, o.why)) o.table = table;
    }
  }
  why = o.why;
  return static_cast<const DialogModule*>(o.table);
}

bool dialogs_opened() { return M().dialogs.table != nullptr; }

const TextModule* text_module(std::string& why) {
  Opened& o = M().text;
  if (!o.tried) {
    o.tried = true;
    if (void* entry = open_entry(kTextModule, kTextEntry, o.why)) {
      const TextModule* table = reinterpret_cast<TextEntry>(entry)();
      if (table && same_build(table->stamp, kTextModule, o.why)) o.table = table;
    }
  }
  why = o.why;
  return static_cast<const TextModule*>(o.table);
}

const MusicModule* music_module(std::string& why) {
  Opened& o = M().music;
  if (!o.tried) {
    o.tried = true;
    if (void* entry = open_entry(kMusicModule, kMusicEntry, o.why)) {
      const MusicModule* table = reinterpret_cast<MusicEntry>(entry)();
      if (table && same_build(table->stamp, kMusicModule, o.why)) o.table = table;
    }
  }
  why = o.why;
  return static_cast<const MusicModule*>(o.table);
}

}  // namespace linuxplat
