// The error log, the password switch and the dialogs on Linux. Every error code goes to standard
// error, where a terminal or xscreensaver's log shows it, besides the error dialog. The dialogs
// themselves are the dialogs module's (dlg_fltk.cpp), opened by the first call that needs it;
// without it no dialog can be shown, which the calls say with their failure values and, once,
// on standard error.
#include <unistd.h>

#include <cstdio>

#include "platform/dialogs.h"
#include "platform/linux/modules.h"
#include "platform/platform.h"

namespace linuxplat {

namespace {

// The module, opened on the first call; null (said once on standard error) when it cannot be.
const DialogModule* D() {
  std::string why;
  const DialogModule* m = dialogs_module(why);
  static bool told = false;
  if (!m && !told) {
    told = true;
    std::fprintf(stderr, "zelkin-wumpets: no dialog can be shown: %s\n", why.c_str());
    std::fflush(stderr);
  }
  return m;
}

// The module only once it is open: the event loop's questions never open it.
const DialogModule* opened() {
  std::string why;
  return dialogs_opened() ? dialogs_module(why) : nullptr;
}

}  // namespace

bool dialogs_active() {
  const DialogModule* m = opened();
  return m && m->active();
}

void dialogs_wait(double seconds) {
  if (const DialogModule* m = opened()) m->wait(seconds);
  else if (seconds > 0) ::usleep(static_cast<useconds_t>(seconds * 1e6));
}

void dialogs_over(unsigned long xid) {
  if (const DialogModule* m = opened()) m->over(xid);
}

}  // namespace linuxplat

namespace plat {

using linuxplat::D;

void log_error(const std::string& code) {
  std::fprintf(stderr, "zelkin-wumpets: %s\n", code.c_str());
  std::fflush(stderr);
}

void change_saver_password(std::int32_t) {
  message_box("Zelkin Wumpets",
              "On this desktop the screen locker owns the password.\n"
              "Set or change it in your desktop's screen-lock settings.");
}

Handle dialog_create(const DialogSpec& desc, DialogEvents* events) {
  const auto* m = D();
  return m ? m->create(desc, events) : 0;
}

// Every other call has a dialog, so the module is open already; a handle of 0 (no dialog) does
// not open it.
void dialog_destroy(Handle h) {
  if (h != 0 && D()) D()->destroy(h);
}
void dialog_show(Handle h) {
  if (h != 0 && D()) D()->show(h);
}
void dialog_hide(Handle h) {
  if (h != 0 && D()) D()->hide(h);
}
void dialog_set_caption(Handle h, const std::string& caption) {
  if (h != 0 && D()) D()->set_caption(h, caption);
}
void dialog_outer_size(Handle h, float& width, float& height) {
  if (h != 0 && D()) D()->outer_size(h, width, height);
}
void dialog_move(Handle h, float left, float top) {
  if (h != 0 && D()) D()->move(h, left, top);
}
void dialog_set_topmost(Handle h, bool topmost) {
  if (h != 0 && D()) D()->set_topmost(h, topmost);
}
bool dialog_set_owner(Handle h, Handle owner) { return h != 0 && D() && D()->set_owner(h, owner); }
void control_set_value(Handle h, int c, int value) {
  if (h != 0 && D()) D()->set_value(h, c, value);
}
void control_set_enabled(Handle h, int c, bool enabled) {
  if (h != 0 && D()) D()->set_enabled(h, c, enabled);
}
void control_set_text(Handle h, int c, const std::string& text) {
  if (h != 0 && D()) D()->set_text(h, c, text);
}
void control_copy_picture(Handle h, int to, int from) {
  if (h != 0 && D()) D()->copy_picture(h, to, from);
}
void control_focus(Handle h, int c) {
  if (h != 0 && D()) D()->focus(h, c);
}

void message_box(const std::string& title, const std::string& text) {
  // Without the dialogs the message still reaches the user, as it does without a display.
  if (const auto* m = D()) m->message_box(title, text);
  else std::fprintf(stderr, "zelkin-wumpets: %s\n", text.c_str());
}

}  // namespace plat
