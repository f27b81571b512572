#include "engine/saver_form.h"

#include "startup/starter.h"

namespace wumpets {

plat::Handle saver_window(const Starter& st) { return st.saver ? st.saver->window : 0; }

}  // namespace wumpets
