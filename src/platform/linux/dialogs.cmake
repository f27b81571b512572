# The dialogs: FLTK 1.3 windows drawn in the MS Sans Serif bitmap font that fontconfig is told
# to accept, in a module of their own (zelkin-wumpets-dialogs.so, opened on the first dialog:
# modules.h), and our own small offline web site rendered next to the program.
find_program(FLTK_CONFIG fltk-config REQUIRED)
execute_process(COMMAND ${FLTK_CONFIG} --use-images --ldflags
  OUTPUT_VARIABLE WUMPETS_FLTK_LDFLAGS OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${FLTK_CONFIG} --includedir
  OUTPUT_VARIABLE WUMPETS_FLTK_INCLUDE OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(WUMPETS_FLTK_LDFLAGS UNIX_COMMAND "${WUMPETS_FLTK_LDFLAGS}")
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)

wumpets_module(zelkin-wumpets-dialogs ${CMAKE_CURRENT_SOURCE_DIR}/dlg_fltk.cpp)
target_include_directories(zelkin-wumpets-dialogs SYSTEM PRIVATE ${WUMPETS_FLTK_INCLUDE})
target_link_libraries(zelkin-wumpets-dialogs PRIVATE ${WUMPETS_FLTK_LDFLAGS} PkgConfig::FONTCONFIG PkgConfig::X11)

# The site: build/site/, where site_address() looks first; its pages speak of Linux.
wumpets_site(wumpets_site linux)
add_dependencies(wumpets_platform_linux wumpets_site)
install(DIRECTORY ${CMAKE_BINARY_DIR}/site/ DESTINATION share/zelkin-wumpets/site)
