// The play list: every chosen song is opened at set-up and the first is played; every 10 s the
// music timer asks whether the current song has stopped and, if so, plays the next chosen one.
#include <cstdio>

#include "engine/behaviours.h"
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

constexpr int kMusicInterval = 10000;
constexpr int kReplySize = 255;

// Sends one command; the command text and the reply live in the form's own buffers, reserved
// at set-up, so nothing is allocated while the saver runs.
Long send(SaverForm& f, const char* format, int n) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, n);
  f.mcicommand.assign(buf);
  f.mcireturn.assign(static_cast<std::size_t>(kReplySize), ' ');
  return plat::media_command(f.mcicommand, f.mcireturn, kReplySize);
}

Integer next_song(Integer n) { return n >= 5 ? 0 : static_cast<Integer>(n + 1); }

bool play_current(SaverForm& f) {
  f.mciresult = send(f, "play song%d from 0", f.st.scene.currentsong);
  return f.mciresult == 0;
}

// A song that cannot be played ends the saver; the log and the exit status say why.
void end_for_song(SaverForm& f) {
  plat::log_error("the song " + f.st.datadir + "d_" + std::to_string(f.st.scene.currentsong) +
                  ".Mid cannot be played (media error " + std::to_string(f.mciresult) + "); the saver ends");
  plat::set_exit_status(1);
  X_Cleanup_and_end(f.st);
}

}  // namespace

void start_music(SaverForm& f) {
  Scene& sc = f.st.scene;
  plat::timer_set_interval(f.musictimer, kMusicInterval);
  for (sc.currentsong = 0; sc.currentsong <= 5; sc.currentsong = static_cast<Integer>(sc.currentsong + 1)) {
    if (!sc.musicchoice(sc.currentsong)) continue;
    // open "<datadir>d_N.Mid" type sequencer alias songN
    f.mcicommand = "open \"" + f.st.datadir + "d_" + std::to_string(sc.currentsong) + ".Mid\" type sequencer alias song" +
                   std::to_string(sc.currentsong);
    f.mcireturn.assign(static_cast<std::size_t>(kReplySize), ' ');
    f.mciresult = plat::media_command(f.mcicommand, f.mcireturn, kReplySize);
    plat::timer_enable(f.musictimer, true);
  }
  sc.currentsong = 0;
  if (!plat::timer_enabled(f.musictimer)) return;
  while (!sc.musicchoice(sc.currentsong)) sc.currentsong = next_song(sc.currentsong);
  if (!play_current(f)) end_for_song(f);
}

void MusicTimer_Timer(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/MusicTimer", [&] {
    Scene& sc = st.scene;
    f.mciresult = send(f, "status song%d mode", sc.currentsong);
    if (f.mciresult != 0) return;
    if (f.mcireturn.compare(0, 7, "stopped") != 0) return;
    sc.currentsong = next_song(sc.currentsong);
    while (!sc.musicchoice(sc.currentsong)) sc.currentsong = next_song(sc.currentsong);
    if (!play_current(f)) end_for_song(f);
  });
}

}  // namespace wumpets
