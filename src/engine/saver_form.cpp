#include "engine/saver_form.h"

#include "engine/behaviours.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

plat::Handle saver_window(const Starter& st) { return st.saver ? st.saver->window : 0; }

plat::Handle view_window(const Starter& st, int view) {
  if (view == 1) return saver_window(st);
  if (view < 2 || view > st.viewcount) return 0;
  const auto& form = st.views(view).form;
  return form ? form->window : 0;
}

namespace {

void load_view(SaverForm& f) {
  f.mcireturn.reserve(256);
  f.mcicommand.reserve(512);
  f.window = plat::window_create(plat::WindowKind::Saver, &f, f.view - 1);
  f.maintimer = plat::timer_create(&f);
  if (f.view == 1) f.musictimer = plat::timer_create(&f);
  f.screenlabel = plat::label_create(f.window, plat::LabelStyle{});
  Form_Initialize(f);
  Form_Load(f);
}

}  // namespace

void load_saver_form(Starter& st) {
  st.saver_storage = std::make_shared<SaverForm>(st, st.scene, st.rng, 1);
  st.saver = st.saver_storage.get();
  st.viewcount = 1;
  load_view(*st.saver);
}

void load_saver_view(Starter& st, int view) {
  SaverView& v = st.views(view);
  v.form = std::make_shared<SaverForm>(st, v.scene, v.rng, view);
  load_view(*v.form);
}

namespace {

// A switched-on dancer, note or peace sign draws its direction: d from -10 to 10; 0 or less
// (11 chances in 21) starts it moving left.
bool draws_left(Rng& rng) { return int_floor(21.0 * rng.rnd() - 10.0) <= 0; }

Integer random_frame(Rng& rng, Integer frames) { return to_integer(int_floor(frames * static_cast<double>(rng.rnd()) + 1.0)); }

void set_geometry(Sprite& s, Long width, Long height, Integer frames) {
  s.width = width;
  s.height = height;
  s.sheetx = 0;
  s.sheety = 0;
  s.frames = frames;
}

void set_up_notes(Rng& rng, FixedArray<Sprite, 9>& notes) {
  if (!notes(1).enabled) return;
  for (int i = 1; i <= 8; ++i) {
    Sprite& n = notes(i);
    rng.randomize();
    set_geometry(n, kind::kNoteWidth, kind::kNoteHeight, kind::kNoteFrames);
    n.frame = random_frame(rng, n.frames);
    n.dx = static_cast<Single>(int_floor(5.0 * rng.rnd() + 4.0));
    n.dy = static_cast<Single>(int_floor(5.0 * rng.rnd() + 4.0));
    n.framestep = -1;
    n.enabled = kTrue;
    if (draws_left(rng)) {
      n.dx = -n.dx;
      n.framestep = 1;
    }
  }
}

}  // namespace

void Form_Initialize(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Form_Initialize", [&] {
    Scene& sc = f.scene;
    plat::timer_set_interval(f.maintimer, sc.speed);

    for (int n = 1; n <= 5; ++n) {
      Sprite& w = sc.wumpets(n);
      if (!w.enabled) continue;
      f.rng.randomize();
      set_geometry(w, kind::kWumpetWidth, kind::kWumpetHeight, kind::kWumpetFrames);
      w.frame = random_frame(f.rng, w.frames);
      w.dx = 5;
      w.dy = 5;
      if (draws_left(f.rng)) w.dx = -w.dx;
    }

    for (int i = 1; i <= 3; ++i) {
      for (auto* roses : {&sc.redroses, &sc.pinkroses, &sc.whiteroses, &sc.yellowroses}) {
        if (!(*roses)(1).enabled) continue;
        Sprite& r = (*roses)(i);
        set_geometry(r, kind::kRoseSize, kind::kRoseSize, kind::kRoseFrames);
        r.frame = 0;
        r.enabled = kTrue;
      }
    }

    if (sc.lavalamps(1).enabled) {
      for (int i = 1; i <= 2; ++i) {
        Sprite& l = sc.lavalamps(i);
        set_geometry(l, kind::kLavaWidth, kind::kLavaHeight, kind::kLavaFrames);
        l.frame = 0;
        l.enabled = kTrue;
      }
    }

    set_up_notes(f.rng, sc.notes1);
    set_up_notes(f.rng, sc.notes2);

    if (sc.peaces(1).enabled) {
      for (int i = 1; i <= 8; ++i) {
        Sprite& p = sc.peaces(i);
        f.rng.randomize();
        set_geometry(p, kind::kPeaceSize, kind::kPeaceSize, kind::kPeaceFrames);
        p.frame = random_frame(f.rng, p.frames);
        p.enabled = kTrue;
        p.dx = 5;
        p.dy = 5;
        p.framestep = -1;
        if (draws_left(f.rng)) {
          p.dx = -p.dx;
          p.framestep = 1;
        }
      }
    }

    if (sc.discoball.enabled) {
      set_geometry(sc.discoball, kind::kDiscoWidth, kind::kDiscoHeight, kind::kDiscoFrames);
      sc.discoball.frame = 0;
    }
    if (sc.hippie.enabled) {
      set_geometry(sc.hippie, kind::kHippieWidth, kind::kHippieHeight, kind::kHippieFrames);
      sc.hippie.frame = 0;
    }

    check4positions(f);

    if (sc.background >= 0 && sc.background <= 2) {
      plat::bitblt(plat::window_dc(f.window), 0, 0, sc.screenwidth, sc.screenheight, sc.backdc, 0, 0,
                   plat::kSrcCopy);
      plat::bitblt(sc.bufferdc, 0, 0, sc.screenwidth, sc.screenheight, sc.backdc, 0, 0, plat::kSrcCopy);
    }

    if (f.view == 1) start_music(f);  // the songs play once, from the primary view
  });
}

void Form_Load(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/Form_Load", [&] {
    const Scene& sc = f.scene;
    plat::timer_enable(f.maintimer, true);
    if (!sc.messagetext.empty() && sc.message) {
      plat::label_set_caption(f.screenlabel, "  " + sc.messagetext + "  ");
      const plat::Size size = plat::label_size(f.screenlabel);
      const Long left = to_long(sc.screenwidth / 2.0 - size.width / 2.0);
      const Long top = long_sub(long_sub(sc.screenheight, size.height), 10);
      plat::label_move(f.screenlabel, left, top);
      plat::label_show(f.screenlabel, true);
    }
    plat::window_show(f.window);
  });
}

void maintimer_Timer(SaverForm& f) {
  Starter& st = f.st;
  guarded(st, "ScreenSaver/MainTimer", [&] {
    Scene& sc = f.scene;
    f.framecounter = int_add(f.framecounter, 1);
    if (f.framecounter == 1000) f.framecounter = 0;
    if (!sc.trailing)
      plat::bitblt(sc.bufferdc, 0, 0, sc.screenwidth, sc.screenheight, sc.backdc, 0, 0, plat::kSrcCopy);

    // The stacking order of the scene: what is drawn later lies on top.
    if (sc.notes1(1).enabled) update_notes1(f);
    if (sc.notes2(1).enabled) update_notes2(f);
    if (sc.peaces(1).enabled) update_peace(f);
    if (sc.discoball.enabled) update_discoball(f);
    if (sc.conga) update_conga(f);
    else update_wumpets(f);
    if (sc.redroses(1).enabled) update_redrose(f);
    if (sc.pinkroses(1).enabled) update_pinkrose(f);
    if (sc.whiteroses(1).enabled) update_whiterose(f);
    if (sc.yellowroses(1).enabled) update_yellowrose(f);
    if (sc.lavalamps(1).enabled) update_lavalamp(f);
    if (sc.hippie.enabled) update_hippie(f);

    plat::bitblt(plat::window_dc(f.window), 0, 0, sc.screenwidth, sc.screenheight, sc.bufferdc, 0, 0,
                 plat::kSrcCopy);
    plat::window_refresh(f.window);
    plat::label_refresh(f.screenlabel);
  });
}

void SaverForm::on_timer(plat::Handle timer) {
  if (timer == maintimer) maintimer_Timer(*this);
  else if (timer == musictimer) MusicTimer_Timer(*this);
}

namespace {

// The window whose unload ends the saver: the primary monitor's, whichever monitor was touched.
plat::Handle ending_window(SaverForm& f) { return saver_window(f.st) ? saver_window(f.st) : f.window; }

}  // namespace

// A click, a double click or a key ends the saver; moving the mouse does not.
void SaverForm::on_click() {
  if (st.runmode == kModeSaver) plat::window_unload(ending_window(*this));
}
void SaverForm::on_dblclick() {
  if (st.runmode == kModeSaver) plat::window_unload(ending_window(*this));
}
void SaverForm::on_keydown(int) {
  if (st.runmode == kModeSaver) plat::window_unload(ending_window(*this));
}
void SaverForm::on_keypress(int) {
  if (st.runmode == kModeSaver) plat::window_unload(ending_window(*this));
}

bool SaverForm::on_query_unload() {
  // Another monitor's window asks the primary one, which asks the password and ends them all.
  if (view != 1 && saver_window(st)) {
    plat::window_unload(saver_window(st));
    return true;
  }
  bool cancel = false;
  guarded(st, "ScreenSaver/Form_QueryUnload", [&] {
    if (st.runmode != kModeSaver) return;
    // The password is asked only where the system keeps one for the saver.
    if (st.winversion == "95" && st.usepassword == 1) {
      plat::show_cursor(true);
      if (!plat::verify_saver_password(window)) cancel = true;
      plat::show_cursor(false);
    }
  });
  return cancel;
}

void SaverForm::on_unload() { X_Cleanup_and_end(st); }

}  // namespace wumpets
