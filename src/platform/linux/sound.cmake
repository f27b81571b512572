# Background music: a MIDI synthesizer (FluidSynth) and a General MIDI soundfont, heard through
# SDL audio. The synthesizer is a module of its own (zelkin-wumpets-music.so, opened when the
# first song is to be heard: modules.h); the songs' commands and the audio output are the
# program's.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
# GLib, which FluidSynth's file loaders report through: its messages are kept off our stderr.
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(wumpets_platform_linux PUBLIC PkgConfig::SDL2)

wumpets_module(zelkin-wumpets-music ${CMAKE_CURRENT_SOURCE_DIR}/snd_fluid.cpp)
target_link_libraries(zelkin-wumpets-music PRIVATE PkgConfig::FLUIDSYNTH PkgConfig::GLIB)
