#include "preview/preview_form.h"

#include "errors/handler.h"
#include "gfx/images.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

constexpr int kPreviewInterval = 70;

// The host handle is the longest numeric tail of the command line ("/p 1234" or "/p:1234").
plat::Handle find_host(const std::string& cmdline) {
  for (std::size_t i = cmdline.size(); i >= 1; --i) {
    double value = 0;
    if (text_is_numeric(std::string_view(cmdline).substr(cmdline.size() - i), &value)) return to_long(value);
  }
  return 0;
}

// A preview with nowhere to live is a mode that failed: said in the log, status 1.
void end_without_host(Starter& st, plat::Handle host) {
  plat::log_error("no preview: " + std::to_string(host) + " is not a window that can hold one");
  plat::set_exit_status(1);
  X_Cleanup_and_end(st);
}

void Form_Initialize(PreviewForm& f) {
  Starter& st = f.st;
  guarded(st, "PreviewScreen/Form_Initialize", [&] {
    Sprite& d = st.scene.wumpets(st.scene.previewwumpet);
    d.width = kind::kWumpetWidth;
    d.height = kind::kWumpetHeight;
    d.sheetx = 0;
    d.sheety = 0;
    d.frames = kind::kWumpetFrames;
    d.frame = 0;
    d.dx = 0;
    d.dy = 0;
    const plat::Rect& r = f.previewrect;
    d.x = to_long(long_sub(r.right, r.left) / 2.0 - d.width / 2.0);
    d.y = to_long(long_sub(r.bottom, r.top) / 2.0 - d.height / 2.0);
  });
}

void Form_Load(PreviewForm& f) {
  f.previewtimer = plat::timer_create(&f);
  plat::timer_set_interval(f.previewtimer, kPreviewInterval);
  plat::timer_enable(f.previewtimer, true);
}

}  // namespace

void Run_Preview(Starter& st) {
  guarded(st, "Starter/Run_Preview", [&] {
    st.runmode = kModePreview;
    X_Loadpics4Preview(st);
    st.preview_storage = std::make_shared<PreviewForm>(st);
    PreviewForm& f = *st.preview_storage;
    f.previewhost = find_host(st.cmdline);
    // No host, or a handle that is no window: nothing could ever show or end this preview, so
    // end now rather than leave an invisible process behind.
    if (f.previewhost == 0 || !plat::window_client_rect(f.previewhost, f.previewrect)) {
      end_without_host(st, f.previewhost);
      return;
    }
    st.preview = &f;
    f.window = plat::window_create(plat::WindowKind::Preview, &f);
    Form_Initialize(f);
    Form_Load(f);
    plat::window_set_title(f.window, "Preview");
    // The window becomes the host's child over all of its client area. One that cannot live in
    // the host (the desktop itself is no host: a preview there would cover the screen, take no
    // input and never end) would be an invisible or endless process.
    if (!plat::preview_embed(f.window, f.previewhost, f.previewrect)) end_without_host(st, f.previewhost);
  });
}

void previewtimer_Timer(PreviewForm& f) {
  Starter& st = f.st;
  guarded(st, "PreviewScreen/PreviewTimer", [&] {
    Sprite& d = st.scene.wumpets(st.scene.previewwumpet);
    d.frame = int_add(d.frame, 1);
    if (d.frame >= d.frames) d.frame = 0;
    plat::bitblt(plat::window_dc(f.window), d.x, d.y, d.width, d.height, st.scene.wumpetdc(st.scene.previewwumpet),
                 source_x(d), d.sheety, plat::kSrcCopy);
    plat::window_refresh(f.window);
  });
}

void PreviewForm::on_timer(plat::Handle) { previewtimer_Timer(*this); }

void PreviewForm::on_unload() {
  X_Cleanup_and_end(st);
  plat::end_process();  // should the shutdown have failed
}

}  // namespace wumpets
