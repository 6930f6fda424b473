// The process the crash test kills: runs the engine work of a heavy Apply
// (backup, templates, every writer, a second pass that switches options off,
// the durability barrier) on a game folder, deterministically.
//
//   crash_writer run <base>                 just do the work
//   crash_writer record <base> <events> [--stop-on-failure]
//       also record every change to the tree under <base> (each completed
//       rename, mkdir and unlink, with the bytes that landed) in <events>;
//       optionally stop after the first step that swallowed a write
//
// At the end it prints what the engine swallowed, one line per file, so the
// test can tell a counted failure from a lost write.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/crash/apply_sequence.h"
#include "engine/crash/event_log.h"
#include "engine/pubg_lib.h"

namespace {

kestrune::crash::EventLog* gRecorder = nullptr;

std::string ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

template <typename Fn>
Fn Next(const char* name) {
  return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

// The engine reaches the file system through the C library; these wrappers
// see each change right after it lands. Recording reads the target back, so
// the log holds exactly the bytes a crash could expose.
extern "C" int rename(const char* from, const char* to) {
  static auto real = Next<int (*)(const char*, const char*)>("rename");
  int rc = real(from, to);
  if (rc == 0 && gRecorder) gRecorder->Add({'F', to, ReadBytes(to)});
  return rc;
}

extern "C" int mkdir(const char* path, mode_t mode) {
  static auto real = Next<int (*)(const char*, mode_t)>("mkdir");
  int rc = real(path, mode);
  if (rc == 0 && gRecorder) gRecorder->Add({'D', path, {}});
  return rc;
}

extern "C" int unlink(const char* path) {
  static auto real = Next<int (*)(const char*)>("unlink");
  int rc = real(path);
  if (rc == 0 && gRecorder && !kestrune::crash::IsTemporaryName(path))
    gRecorder->Add({'U', path, {}});
  return rc;
}

int main(int argc, char** argv) {
  using namespace kestrune;
  if (argc < 3) {
    std::fprintf(stderr, "usage: crash_writer run|record <base> [events]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const bool stopOnFailure = argc > 4 && std::string(argv[4]) == "--stop-on-failure";
  const std::string base = argv[2];
  crash::EventLog log;
  if (mode == "record") {
    if (argc < 4) return 2;
    gRecorder = &log;
  } else if (mode != "run") {
    return 2;
  }

  std::string report;
  {
    THareWareInfo hardware = crash::HeavyHardware();
    TPUBGLib engine(base, hardware);
    engine.SetClock([] { return crash::FixedMoment(); });
    std::vector<crash::Step> steps = crash::PrepareSteps();
    for (crash::Step& s : crash::WriterSteps(hardware)) steps.push_back(std::move(s));
    for (crash::Step& s : crash::UndoSteps()) steps.push_back(std::move(s));
    size_t done = 0;
    try {
      for (const crash::Step& step : steps) {
        step.run(engine);
        ++done;
        // After an injected failure only the report matters; stopping at
        // the step that swallowed it keeps fault runs short.
        if (stopOnFailure && engine.SwallowedWriteCount() > 0) break;
      }
      if (!engine.SyncChangedFiles()) report += "sync failed\n";
    } catch (const EBackupError& e) {
      report += std::string("stopped backup ") + e.what() + "\n";
    } catch (const EIndexWriteError& e) {
      report += std::string("stopped index ") + e.what() + "\n";
    } catch (const EFileOpenError& e) {
      report += std::string("stopped open ") + e.what() + "\n";
    }
    report += "steps " + std::to_string(done) + "\n";
    for (const TSwallowedWrite& w : engine.SwallowedWrites())
      report += "swallowed " + std::to_string(w.Count) + " " + w.Path + "\n";
  }
  gRecorder = nullptr;
  if (mode == "record" && !log.Save(argv[3], base)) return 3;
  // One write, after all the engine's work: fault injection counts calls
  // and the harness only aims inside the sequence.
  std::fwrite(report.data(), 1, report.size(), stdout);
  return 0;
}
