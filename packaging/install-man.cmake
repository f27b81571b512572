# Writes the man page into the installed tree with that tree's folders in it. Run by
# `cmake --install`; WUMPETS_MAN_* are set by packaging/CMakeLists.txt just before.
set(PROJECT_VERSION "${WUMPETS_MAN_VERSION}")
set(WUMPETS_MAN_SHARE_DIR "${CMAKE_INSTALL_PREFIX}/share/zelkin-wumpets")
set(WUMPETS_MAN_DATA_DIR "${WUMPETS_MAN_SHARE_DIR}/data")
set(page "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/man/man6/zelkin-wumpets.6")
message(STATUS "Installing: ${page}")
configure_file("${WUMPETS_MAN_SOURCE}" "${page}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${page}")
