// Under LeakSanitizer only: the toolkit's libraries keep process-lifetime
// state (type system, font caches, bus connections, the accessibility
// bridge) that is never freed at exit. Leaks whose allocation passes through
// them are not reported; everything else of ours is.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpango\n"
         "leak:libgtk-3.so\n"
         "leak:libgdk-3.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n"
         "leak:libatk\n"
         "leak:libatspi.so\n"
         "leak:libdbus\n"
         "leak:libayatana\n"
         "leak:libgdk_pixbuf\n"
         "leak:libcairo.so\n"
         "leak:libharfbuzz.so\n"
         "leak:libX11.so\n"
         "leak:libepoxy.so\n";
}
