// "/a": hand the saver password change to the system's own dialog; "/h" and "/w": open a page
// of the maker's site and end, showing no window.
#include "errors/handler.h"
#include "startup/starter.h"

namespace wumpets {

void Run_Password(Starter& st) {
  guarded(st, "Starter/Run_Password", [&] {
    st.runmode = kModePassword;
    const std::string args = plat::command_line();
    // Everything after the first three characters ("/a" and one more) is the parent window.
    if (args.size() < 3) raise_error(kInvalidArgument);
    double value = 0;
    if (!text_is_numeric(args.substr(3), &value)) raise_error(kTypeMismatch);
    const Long parent = to_long(value);
    plat::change_saver_password(parent);
  });
}

namespace {

// The invisible page opener: opens the page that the run mode names, then ends the program.
void load_ghost(Starter& st) {
  if (st.runmode == kModeHelpPage) plat::shell_open(site_page("/support.htm"));
  if (st.runmode == kModeWebSite) plat::shell_open(site_page(""));
  X_Cleanup_and_end(st);
}

}  // namespace

void Run_HelpPage(Starter& st) {
  // The help page reports under the web site's label: deliberate, users' codes have always
  // named it so.
  guarded(st, "Starter/Run_WebSite", [&] {
    st.runmode = kModeHelpPage;
    load_ghost(st);
  });
}

void Run_WebSite(Starter& st) {
  guarded(st, "Starter/Run_WebSite", [&] {
    st.runmode = kModeWebSite;
    load_ghost(st);
  });
}

}  // namespace wumpets
