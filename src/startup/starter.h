// The start-up module: the program's module-level state and its procedures.
//
// Read this first. `Main` (main_dispatch.cpp) records the command line, refuses a duplicate
// saver start, seeds the generator, loads the settings and calls one mode procedure. Each mode
// lives on in its windows and timers; the saver, preview, web-page and error paths all end
// through `X_Cleanup_and_end` (shutdown.cpp).
//
// All state is in one `Starter` value, passed by reference, so that a test (or a second
// instance) never shares it with another.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/scene.h"
#include "errors/reporter.h"
#include "runtime/fixed_array.h"
#include "runtime/numbers.h"
#include "runtime/rng.h"

namespace wumpets {

struct SaverForm;    // engine/saver_form.h
struct PreviewForm;  // preview/preview_form.h
struct Configuration;  // dialogs/configuration.h

// Run-mode codes.
enum RunMode : Integer {
  kModeStartup = 0,
  kModeSaver = 1,
  kModeConfigure = 2,
  kModePassword = 3,
  kModePreview = 4,
  kModeHelpPage = 6,
  kModeWebSite = 7,
};

// One monitor's part of the saver (see Starter::views).
struct SaverView {
  Scene scene;  // unused for view 1, which draws Starter::scene
  Rng rng;      // likewise Starter::rng for view 1
  std::shared_ptr<SaverForm> form;
};

struct Starter;

// Monitors plugged in or out while the saver runs (monitors.cpp): a new one gets a view of the
// saver, one unplugged stops drawing.
struct MonitorWatch final : plat::MonitorEvents {
  explicit MonitorWatch(Starter* starter) : st(starter) {}
  void on_monitor_added(int monitor) override;
  void on_monitor_removed(int monitor) override;
  Starter* st;
};

struct Starter {
  // Forms point back at their Starter: it is never copied or moved.
  Starter() = default;
  Starter(const Starter&) = delete;
  Starter& operator=(const Starter&) = delete;

  // Command line and mode.
  std::string cmdline;    // trimmed, lower-cased arguments
  std::string cmdswitch;  // first two characters of cmdline
  plat::Handle displaypropswnd = 0;
  plat::Handle configowner = 0;  // "/c:NNN": the window that asked for the settings dialog
  Integer runmode = kModeStartup;

  // Operating-system family and the saver password flag (saver mode only).
  std::string winversion;
  Integer usepassword = 0;

  // Folders, each ending in a separator.
  std::string windir;
  std::string datadir;

  // Breadcrumb shown in error codes; nothing ever clears it.
  std::string progressmark;

  Scene scene;
  Rng rng;

  // Settings given for this run only (--speed and the like): the loader applies them over the
  // file's values; nothing writes them back.
  std::vector<plat::SettingOverride> overrides;

  // Forms that may be loaded, each made once per process. The raw pointer says whether the form
  // is loaded (null once it is unloaded); the owner keeps the form alive after its unload, since
  // the window event that unloaded it is still running in it. Owners are shared_ptr because
  // this header knows the forms only by name.
  SaverForm* saver = nullptr;
  PreviewForm* preview = nullptr;
  Configuration* configuration = nullptr;
  std::shared_ptr<SaverForm> saver_storage;
  std::shared_ptr<PreviewForm> preview_storage;
  std::shared_ptr<Configuration> configuration_storage;
  BugReportForm bugreport{this};

  // The saver covers every monitor, each a view of this one saver: view 1 is the primary
  // monitor's and draws this state's own `scene` with its own `rng`, so one monitor draws just as
  // it always has (its form is `saver`). Every other view keeps a scene of its own here: the
  // same settings and the same sprite sheets, a back buffer and background of its monitor's
  // size, its own positions and its own random stream. Settings, the error dialog, the music,
  // the password and the shutdown are this state's, once.
  FixedArray<SaverView, plat::kMaxMonitors + 1> views;  // 1..viewcount
  int viewcount = 0;
  MonitorWatch monitorwatch{this};
};

// Entry and modes.
void Main(Starter& st);
void Run_Configure(Starter& st);
plat::Handle configure_owner(const std::string& cmdline);  // the handle after "/c:", or 0
void Run_ScreenSaver(Starter& st);
void Run_Preview(Starter& st);
void Run_Password(Starter& st);
void Run_HelpPage(Starter& st);
void Run_WebSite(Starter& st);
// Saver mode's views of the monitors beside the primary one, each monitor that has none yet
// (monitors.cpp).
void load_other_views(Starter& st);

// The one way out of the saver, preview, web-page and error paths.
void X_Cleanup_and_end(Starter& st);

// Settings (settings/ini.cpp).
void X_GetData(Starter& st);
void sys_GetDirectories(Starter& st);
std::string sys_GetIni(Starter& st, const std::string& file, const std::string& section,
                       const std::string& key);
// A write is checked: a failure comes back with the file's path and the reason.
plat::ProfileWrite PutIniData(Starter& st, const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value);
// Many keys as one change: all are written or, when the file cannot be written, none.
plat::ProfileWrite PutIniData(Starter& st, const std::string& file, const std::string& section,
                              const plat::ProfileEntries& entries);
// Tells the user in a message box what could not be saved, where and why.
void tell_unsaved(const plat::ProfileWrite& failed);

// Window centring (centre.cpp): both move the window to the middle of the primary screen and
// differ only in their error label.
struct FormGeometry {
  float left = 0, top = 0, width = 0, height = 0;  // twips, outer size
};
void CenterForm(Starter& st, FormGeometry& form);
void sys_centreform(Starter& st, FormGeometry& form);

// Saver-mode start-up helpers (saver_start.cpp).
std::string sys_GetVersion32(Starter& st);
Integer sys_GetRegValue(std::uint32_t rootkey, const std::string& subkey, const std::string& valuename);
void sys_SetTFS(Starter& st, const std::string& mode);

}  // namespace wumpets
