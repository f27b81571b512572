// Room for the dialogs' captions. Every back end draws the captions in the classic dialog font
// (MS Sans Serif, 8 points); a caption that is wider than its control at the layout's size is
// cut. The layouts therefore widen such a control into the free space beside it, never over
// another control and never past its container's border, so that every caption shows whole.
//
// Widths are in twips at 96 dots per inch (15 to the pixel), taken from the font's own advance
// widths; a back end that draws at a higher resolution scales the layout and picks the font
// size to match, which keeps the proportions.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace wumpets {

// The drawn width of a caption; '&' marks the access key and takes no room ("&&" is one '&').
int caption_width(const std::string& caption, bool bold);

// The width a control needs to show its caption whole (its check mark or border included), or 0
// for a control whose caption wraps or that has none.
int caption_room(const plat::ControlSpec& c);

// Widens every control whose caption does not fit, as far as the free space to its right allows.
void fit_captions(plat::DialogSpec& d);

}  // namespace wumpets
