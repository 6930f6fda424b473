// Fontconfig and Pango keep process-lifetime caches that are never freed;
// LeakSanitizer is told so here. Our own objects are still checked.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpangoft2-1.0.so\n"
         "leak:libpango-1.0.so\n";
}
