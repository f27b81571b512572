// X_Cleanup_and_end: gives back what saver mode took (cursor, task switching), deletes the
// surfaces, stops and closes the songs, and ends the process at once.
#include <string_view>

#include "errors/handler.h"
#include "gfx/surface.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

// Asks a song for its state; the reply lands in `reply` (empty when the song was never opened).
void song_status(int n, std::string& reply) {
  reply.assign(255, ' ');
  plat::media_command("status song" + std::to_string(n) + " mode", reply, 255);
}

bool starts_with(const std::string& text, const char* word) { return std::string_view(text).starts_with(word); }

// The scene's surfaces, each only if its kind was loaded: the sprite sheets, which every view
// shares, and the primary view's buffers.
void delete_scene_surfaces(Starter& st) {
  Scene& sc = st.scene;
    if (sc.colorchanger) {
      for (int n = 1; n <= 5; ++n) sys_deleteDC(st, sc.wumpetdc(n));
    } else {
      for (int n = 1; n <= 5; ++n)
        if (sc.wumpets(n).enabled) sys_deleteDC(st, sc.wumpetdc(n));
    }
    sys_deleteDC(st, sc.wumpetmaskdc);

    if (sc.notes1(1).enabled) {
      sys_deleteDC(st, sc.notes1dc(1));
      sys_deleteDC(st, sc.notes1dc(2));
    }
    if (sc.notes2(1).enabled) {
      sys_deleteDC(st, sc.notes2dc(1));
      sys_deleteDC(st, sc.notes2dc(2));
    }
    if (sc.notes1(1).enabled || sc.notes2(1).enabled) sys_deleteDC(st, sc.notesmaskdc);

    if (sc.redroses(1).enabled) sys_deleteDC(st, sc.redrosedc);
    if (sc.pinkroses(1).enabled) sys_deleteDC(st, sc.pinkrosedc);
    if (sc.whiteroses(1).enabled) sys_deleteDC(st, sc.whiterosedc);
    if (sc.yellowroses(1).enabled) sys_deleteDC(st, sc.yellowrosedc);

    if (sc.lavalamps(1).enabled) sys_deleteDC(st, sc.lavalampdc);
    if (sc.hippie.enabled) sys_deleteDC(st, sc.hippiedc);
    if (sc.discoball.enabled) sys_deleteDC(st, sc.discoballdc);
    if (sc.peaces(1).enabled) sys_deleteDC(st, sc.peacedc);

    sys_deleteDC(st, sc.backdc);
    sys_deleteDC(st, sc.bufferdc);
}

}  // namespace

void X_Cleanup_and_end(Starter& st) {
  guarded(st, "Starter/X_Cleanup_and_end", [&] {
    Scene& sc = st.scene;
    plat::show_cursor(true);
    sys_SetTFS(st, "enable");

    delete_scene_surfaces(st);
    for (int v = 2; v <= st.viewcount; ++v) {  // each other view's own buffers
      sys_deleteDC(st, st.views(v).scene.backdc);
      sys_deleteDC(st, st.views(v).scene.bufferdc);
    }

    st.saver = nullptr;  // the saver form is gone with the process

    if (st.runmode == kModeSaver) {
      std::string reply;
      reply.reserve(256);
      for (int n = 0; n <= 5; ++n) {
        sc.currentsong = static_cast<Integer>(n);
        song_status(n, reply);
        if (starts_with(reply, "playing")) plat::media_command("stop song" + std::to_string(n), reply, 255);
        song_status(n, reply);
        if (starts_with(reply, "stopped")) plat::media_command("close song" + std::to_string(n), reply, 255);
      }
    }
    plat::end_process();
  });
}

}  // namespace wumpets
