// A scaled saver window enlarged by the X server (i_xscale.cpp): its image, the scene's size, is
// shared memory of ours that the server enlarges into the window with RENDER, so neither side
// keeps or writes the screen-sized picture. Only the back end's own files include this.
#pragma once

#include "platform/linux/i_video.h"

namespace linuxvideo {

// Gives a scaled SDL window on X11 an image in shared memory that the server shows enlarged,
// in place of SDL's window surface (which is then never made). False, with nothing changed,
// when the server lacks what it needs (RENDER, MIT-SHM, a local connection) or refuses.
bool xscale_bind(Window& w);
// Shows the rectangles of the image drawn since it was last shown (all of it after an expose),
// and waits until the server has read them: the next frame may then rewrite those pixels.
void xscale_present(Window& w);
// Lets go of the server's side; the image keeps its picture in pixels of its own.
void xscale_release(Window& w);

}  // namespace linuxvideo
