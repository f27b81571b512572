// The live preview ("/p HANDLE"): one dancer of a random colour, standing in the middle of the
// host window and cycling its frames every 70 ms. The program ends when the host goes away.
#pragma once

#include "platform/platform.h"

namespace wumpets {

struct Starter;

struct PreviewForm final : plat::WindowEvents, plat::TimerEvents {
  explicit PreviewForm(Starter& owner) : st(owner) {}

  Starter& st;
  plat::Handle window = 0;
  plat::Handle previewtimer = 0;
  plat::Handle previewhost = 0;
  plat::Rect previewrect{};

  void on_unload() override;  // Form_Unload
  void on_timer(plat::Handle timer) override;
};

void previewtimer_Timer(PreviewForm& f);

}  // namespace wumpets
