// Linked into every program of a sanitizer build (WUMPETS_SANITIZE): leaks that belong to the
// system libraries we use (font lookup, the dialog toolkit, X11, the synthesizer) are theirs to
// fix and are not reported; every leak of our own still is.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libfltk\n"
         "leak:libX11.so\n"
         "leak:libxcb\n"
         "leak:libfluidsynth.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libSDL2-2.0.so\n"
         "leak:libdbus-1.so\n";
}
