#include "gfx/images.h"

#include "errors/handler.h"
#include "gfx/surface.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

// The back buffer and the background: the buffer file may be smaller than the screen (or
// missing), and both must still cover all of it, or part of every frame would show stale pixels.
void make_buffers(Starter& st, Scene& sc) {
  auto load = [&](const std::string& name) { return GenerateDC(st, st.datadir + name); };
  sc.bufferdc = load("d_buffer.bmp");
  sc.backdc = load("d_buffer.bmp");
  plat::grow_dc(sc.bufferdc, sc.screenwidth, sc.screenheight);
  plat::grow_dc(sc.backdc, sc.screenwidth, sc.screenheight);

  if (sc.backmode == 1) {
    sc.backtiledc = load("d_back" + std::to_string(sc.background) + ".bmp");
    plat::fill_tiled(sc.backdc, to_integer(sc.screenwidth), to_integer(sc.screenheight), sc.backtiledc, sc.backwidth,
                     sc.backheight);
  }
  sys_deleteDC(st, sc.backtiledc);
}

}  // namespace

void X_Loadpics4screensaver(Starter& st) {
  guarded(st, "Starter/X_Loadpics4screensaver", [&] {
    Scene& sc = st.scene;
    const plat::ScreenMetrics m = plat::screen_metrics();
    sc.screenwidth = to_long(static_cast<double>(m.width_twips) / m.twips_per_pixel_x);
    sc.screenheight = to_long(static_cast<double>(m.height_twips) / m.twips_per_pixel_y);

    auto load = [&](const std::string& name) { return GenerateDC(st, st.datadir + name); };
    for (int n = 1; n <= 5; ++n)
      if (sc.colorchanger || sc.wumpets(n).enabled) sc.wumpetdc(n) = load("d_wumpet" + std::to_string(n) + ".bmp");

    if (sc.redroses(1).enabled) sc.redrosedc = load("d_redrose.bmp");
    if (sc.pinkroses(1).enabled) sc.pinkrosedc = load("d_pinkrose.bmp");
    if (sc.whiteroses(1).enabled) sc.whiterosedc = load("d_whiterose.bmp");
    if (sc.yellowroses(1).enabled) sc.yellowrosedc = load("d_yellowrose.bmp");
    if (sc.hippie.enabled) sc.hippiedc = load("d_hippie.bmp");
    if (sc.discoball.enabled) sc.discoballdc = load("d_discoball.bmp");
    if (sc.lavalamps(1).enabled) sc.lavalampdc = load("d_lavalamp.bmp");
    if (sc.peaces(1).enabled) sc.peacedc = load("d_peace.bmp");
    if (sc.notes1(1).enabled) {
      sc.notes1dc(1) = load("d_notes11.bmp");
      sc.notes1dc(2) = load("d_notes12.bmp");
    }
    if (sc.notes2(1).enabled) {
      sc.notes2dc(1) = load("d_notes21.bmp");
      sc.notes2dc(2) = load("d_notes22.bmp");
    }
    bool any_dancer = false;
    for (int n = 1; n <= 5; ++n) any_dancer = any_dancer || sc.wumpets(n).enabled;
    if (any_dancer) sc.wumpetmaskdc = load("d_wumpetmask.bmp");
    if (sc.notes1(1).enabled || sc.notes2(1).enabled) sc.notesmaskdc = load("d_notesmask.bmp");

    make_buffers(st, sc);
  });
}

void load_view_buffers(Starter& st, Scene& sc, long width, long height) {
  guarded(st, "Starter/X_Loadpics4screensaver", [&] {
    sc.screenwidth = width;
    sc.screenheight = height;
    make_buffers(st, sc);
  });
}

void X_Loadpics4Preview(Starter& st) {
  guarded(st, "Starter/X_Loadpics4Preview", [&] {
    Scene& sc = st.scene;
    sc.previewwumpet = to_integer(int_floor(5.0 * st.rng.rnd() + 1.0));
    sc.wumpetdc(sc.previewwumpet) =
        GenerateDC(st, st.datadir + "d_wumpet" + std::to_string(sc.previewwumpet) + ".bmp");
  });
}

}  // namespace wumpets
