# Background music: FluidSynth players and a General MIDI soundfont, heard through SDL audio.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
# GLib, which FluidSynth's file loaders report through: its messages are kept off our stderr.
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(wumpets_platform_linux PUBLIC PkgConfig::FLUIDSYNTH PkgConfig::GLIB PkgConfig::SDL2)
