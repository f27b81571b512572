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


// Opens a module once: its table when it is of this build, else null with the reason in `why`.
// `args` go to the module's entry.
template <class Table, class Entry, class... Args>
const Table* table_of(Opened& o, const char* file, const char* entry_name, std::string& why, Args... args) {
  if (!o.tried) {
    o.tried = true;
    if (void* entry = open_entry(file, entry_name, o.why)) {
      const Table* table = reinterpret_cast<Entry>(entry)(args...);
      if (table && same_build(table->stamp, file, o.why)) o.table = table;
    }
  }
  why = o.why;
  return static_cast<const Table*>(o.table);
}

}  // namespace

const DialogModule* dialogs_module(std::string& why) {
  static const DialogHost host{host_dpi, host_icons, host_program_dir, host_share_dir, host_monitor, host_metrics};
  return table_of<DialogModule, DialogsEntry>(M().dialogs, kDialogsModule, kDialogsEntry, why, &host);
}

bool dialogs_opened() { return M().dialogs.table != nullptr; }

const TextModule* text_module(std::string& why) {
  return table_of<TextModule, TextEntry>(M().text, kTextModule, kTextEntry, why);
}

const MusicModule* music_module(std::string& why) {
  return table_of<MusicModule, MusicEntry>(M().music, kMusicModule, kMusicEntry, why);
}

}  // namespace linuxplat
