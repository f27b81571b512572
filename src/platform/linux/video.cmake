# The saver's window, label, input and timers: SDL2; X11 for embedding in other programs'
# windows (preview, xscreensaver), with RENDER and MIT-SHM (Xrender, Xext) to have the server
# enlarge a scaled window (SDL links both already: linking them costs nothing); libpng for
# pictures rendered without a display. The label's text is drawn with SDL2_ttf in fonts found
# by fontconfig, in a module of its own (zelkin-wumpets-text.so, opened when a label first has a
# caption: modules.h).
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(XRANDR REQUIRED IMPORTED_TARGET xrandr)
pkg_check_modules(XINERAMA REQUIRED IMPORTED_TARGET xinerama)
pkg_check_modules(XRENDER REQUIRED IMPORTED_TARGET xrender)
pkg_check_modules(XEXT REQUIRED IMPORTED_TARGET xext)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
target_link_libraries(wumpets_platform_linux PUBLIC PkgConfig::SDL2 PkgConfig::X11 PkgConfig::PNG PkgConfig::XRANDR PkgConfig::XINERAMA
  PkgConfig::XRENDER PkgConfig::XEXT)

wumpets_module(zelkin-wumpets-text ${CMAKE_CURRENT_SOURCE_DIR}/txt_label.cpp ${CMAKE_SOURCE_DIR}/src/platform/common/text_utf8.cpp)
target_link_libraries(zelkin-wumpets-text PRIVATE PkgConfig::SDL2 PkgConfig::SDL2_TTF PkgConfig::FONTCONFIG)
