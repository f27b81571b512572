# The saver's window, label, input and timers: SDL2 with SDL2_ttf; X11 for embedding in other
# programs' windows (preview, xscreensaver); libpng for pictures rendered without a display.
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(XRANDR REQUIRED IMPORTED_TARGET xrandr)
pkg_check_modules(XINERAMA REQUIRED IMPORTED_TARGET xinerama)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
target_link_libraries(wumpets_platform_linux PUBLIC PkgConfig::SDL2 PkgConfig::SDL2_TTF PkgConfig::X11 PkgConfig::PNG PkgConfig::FONTCONFIG PkgConfig::XRANDR PkgConfig::XINERAMA)
