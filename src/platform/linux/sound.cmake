# Background music: FluidSynth players and a General MIDI soundfont, heard through SDL audio.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
target_link_libraries(wumpets_platform_linux PUBLIC PkgConfig::FLUIDSYNTH PkgConfig::SDL2)
