// Two sets of eight musical notes that drift, bounce and cycle their pictures; the cycle turns
// with every side bounce. Notes 1..4 of a set come from one sheet, 5..8 from the other; all share
// one mask sheet.
#include "engine/behaviours.h"
#include "engine/drift.h"
#include "engine/saver_form.h"
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

namespace {

void update_notes(SaverForm& f, const char* label, FixedArray<Sprite, 9>& notes, FixedArray<Handle, 3>& sheets) {
  Starter& st = f.st;
  guarded(st, label, [&] {
    Scene& sc = f.scene;
    for (int i = 1; i <= 8; ++i) {
      Sprite& n = notes(i);
      const Long sx = source_x(n);
      if (!sc.semitransparent)
        plat::bitblt(sc.bufferdc, n.x, n.y, n.width, n.height, sc.notesmaskdc, sx, 0, plat::kSrcAnd);
      plat::bitblt(sc.bufferdc, n.x, n.y, n.width, n.height, sheets(i <= 4 ? 1 : 2), sx, 0, plat::kSrcPaint);
      bounce_and_move(sc, n);
      n.frame = int_add(n.frame, n.framestep);
      // Counting up a note shows 0..8; counting down it shows 9..0.
      if (n.frame > int_sub(n.frames, 1)) n.frame = 0;
      if (n.frame < 0) n.frame = n.frames;
    }
  });
}

}  // namespace

// The two labels are spelt differently on purpose: they are the codes users have always seen.
void update_notes1(SaverForm& f) {
  update_notes(f, "ScreenSaver/UpdateNotes1", f.scene.notes1, f.scene.notes1dc);
}
void update_notes2(SaverForm& f) {
  update_notes(f, "ScreenSaver/Update_Notes2", f.scene.notes2, f.scene.notes2dc);
}

}  // namespace wumpets
