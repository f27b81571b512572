// The saver window (`ScreenSaver` form): its state, its events and its timers. Loading it runs
// `Form_Initialize` (geometry, placement, background, music) and `Form_Load` (frame timer,
// message label, show). From then on `maintimer_Timer` composes one frame per tick.
#pragma once

#include <string>

#include "platform/platform.h"
#include "runtime/numbers.h"

namespace wumpets {

struct Starter;
struct Scene;
class Rng;

// One saver window: the view of one monitor (view 1, the primary one, runs the music too).
struct SaverForm final : plat::WindowEvents, plat::TimerEvents {
  SaverForm(Starter& owner, Scene& view_scene, Rng& view_rng, int view_number)
      : st(owner), scene(view_scene), rng(view_rng), view(view_number) {}

  Starter& st;
  Scene& scene;  // what this view draws
  Rng& rng;      // its draws
  int view;      // 1 = the primary monitor's
  plat::Handle window = 0;
  plat::Handle maintimer = 0;
  plat::Handle musictimer = 0;  // view 1 only
  plat::Handle screenlabel = 0;

  Integer framecounter = 0;  // 0..999
  Integer congafirst = 0;    // lowest switched-on dancer slot in conga mode
  Integer congalast = 0;     // highest
  std::string mcireturn;     // reply text of the last music command
  Long mciresult = 0;        // result of the last music command; 0 = success
  std::string mcicommand;    // the command being sent (kept to avoid allocating while running)

  // Window events.
  void on_click() override;
  void on_dblclick() override;
  void on_keydown(int key) override;
  void on_keypress(int ch) override;
  bool on_query_unload() override;  // Form_QueryUnload: true cancels
  void on_unload() override;        // Form_Unload
  void on_timer(plat::Handle timer) override;
};

// Creates the primary monitor's saver window and runs Form_Initialize and Form_Load.
void load_saver_form(Starter& st);
// The same for another monitor's view (2..), whose scene and buffers are ready in st.views.
void load_saver_view(Starter& st, int view);

void Form_Initialize(SaverForm& f);
void Form_Load(SaverForm& f);
void maintimer_Timer(SaverForm& f);
void MusicTimer_Timer(SaverForm& f);

// The primary saver window's handle, or 0 when the saver form is not loaded.
plat::Handle saver_window(const Starter& st);
// Every view's saver window, 0 for a view that has none.
plat::Handle view_window(const Starter& st, int view);

}  // namespace wumpets
