# The dialogs: FLTK 1.3 windows drawn in the MS Sans Serif bitmap font that fontconfig is told
# to accept, and our own small offline web site copied next to the program.
find_program(FLTK_CONFIG fltk-config REQUIRED)
execute_process(COMMAND ${FLTK_CONFIG} --use-images --ldflags
  OUTPUT_VARIABLE WUMPETS_FLTK_LDFLAGS OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${FLTK_CONFIG} --includedir
  OUTPUT_VARIABLE WUMPETS_FLTK_INCLUDE OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(WUMPETS_FLTK_LDFLAGS UNIX_COMMAND "${WUMPETS_FLTK_LDFLAGS}")
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)

target_include_directories(wumpets_platform_linux SYSTEM PRIVATE ${WUMPETS_FLTK_INCLUDE})
target_link_libraries(wumpets_platform_linux PUBLIC ${WUMPETS_FLTK_LDFLAGS} PkgConfig::FONTCONFIG PkgConfig::X11)

# The site: build/site/, where site_address() looks first.
file(GLOB WUMPETS_SITE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/site/*)
set(WUMPETS_SITE_STAMP ${CMAKE_BINARY_DIR}/site/.copied)
add_custom_command(OUTPUT ${WUMPETS_SITE_STAMP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/site
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${WUMPETS_SITE_FILES} ${CMAKE_BINARY_DIR}/site/
  COMMAND ${CMAKE_COMMAND} -E touch ${WUMPETS_SITE_STAMP}
  DEPENDS ${WUMPETS_SITE_FILES}
  COMMENT "Copying the offline site next to the program")
add_custom_target(wumpets_site ALL DEPENDS ${WUMPETS_SITE_STAMP})
add_dependencies(wumpets_platform_linux wumpets_site)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/site/ DESTINATION share/zelkin-wumpets/site)
