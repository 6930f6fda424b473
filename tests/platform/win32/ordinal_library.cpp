// A library for the ordinal lookup test: entries exported by ordinal only
// (ordinal_library.def), one also by name.
extern "C" {

__declspec(dllexport) int OrdinalNine() {
  return 9;
}

__declspec(dllexport) int OrdinalThree() {
  return 3;
}
}
