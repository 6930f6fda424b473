// The engine work of one heavy Apply on a player's files, as a list of named
// steps: backup, templates, then every writer at the level that makes it
// write the most keys, in the optimisation page's order (its table). Shared by the crash
// test's writer process and the engine benchmark, so both measure and break
// the same thing.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/pubg_lib.h"
#include "hardware/hardware_info.h"
#include "opti/opti_tables.h"

namespace kestrune::crash {

struct Step {
  const char* name;
  std::function<void(TPUBGLib&)> run;
};

// Facts of a mid-range machine: shader count and eight threads make the
// hardware and shader-compile writers write every row they have.
inline THareWareInfo HeavyHardware() {
  THareWareInfo info;
  info.ShaderCount = 1920;
  info.CardVendor = "10DE";
  info.LogicalProcessors = 8;
  return info;
}

// A fixed moment, so the backup folder's name is the same in every run.
inline std::chrono::system_clock::time_point FixedMoment() {
  return std::chrono::system_clock::time_point(std::chrono::seconds(1500000000)) +
         std::chrono::milliseconds(77);
}

// Backup and templates: the file-level part of Apply.
inline std::vector<Step> PrepareSteps() {
  return {
      {"BackupConfigFiles", [](TPUBGLib& e) { e.BackupConfigFiles(); }},
      {"WriteDefaultGameUserSettings", [](TPUBGLib& e) { e.WriteDefaultGameUserSettings(); }},
      {"WriteDefaultEngineIni", [](TPUBGLib& e) { e.WriteDefaultEngineIni(); }},
  };
}

// The level of each list that makes its writer write the most keys.
inline int HeaviestLevel(opti::ListId list) {
  switch (list) {
    case opti::ListId::MSAA:
      return 4;
    case opti::ListId::FXAA:
      return 6;
    case opti::ListId::AO:
      return 3;
    case opti::ListId::Text:
      return 2;
    case opti::ListId::Effect:
      return 4;
    case opti::ListId::Tree:
      return 5;
    case opti::ListId::View:
      return 3;
    case opti::ListId::NetWork:
      return 3;
    case opti::ListId::HardWare:
      return 1;
    default:
      return 1;  // mouse smoothing on
  }
}

// Every writer at its heaviest level, in Apply's order (the page table's).
// Every switch is on except the game language, which stays off.
inline std::vector<Step> WriterSteps() {
  std::vector<Step> steps;
  for (const opti::ApplyStep& step : opti::ApplySteps()) {
    int value = 0;
    switch (step.feed) {
      case opti::ApplyFeed::List:
      case opti::ApplyFeed::OnOffList:
        value = HeaviestLevel(static_cast<opti::ListId>(step.source));
        break;
      case opti::ApplyFeed::Switch:
        value = static_cast<opti::CheckId>(step.source) == opti::CheckId::Language ? 0 : 1;
        break;
      case opti::ApplyFeed::Edit: {
        constexpr int kValues[] = {90, 103, 144};  // screen, field of view, frame-rate limit
        value = kValues[step.source];
        break;
      }
      case opti::ApplyFeed::Always:
        break;
    }
    steps.push_back(
        {step.name.data(), [write = step.write, value](TPUBGLib& e) { write(e, value); }});
  }
  return steps;
}

// A second pass that switches options off again: removals of keys the first
// pass added and a rewrite of the binding list, so the crash test also
// breaks deletes.
inline std::vector<Step> UndoSteps() {
  return {
      {"ApplyNetworkPreset(5)", [](TPUBGLib& e) { e.ApplyNetworkPreset(5); }},
      {"ApplyBigJumpBinding(false)", [](TPUBGLib& e) { e.ApplyBigJumpBinding(false); }},
  };
}

// The writer processes' work: the whole sequence on the game folder under
// `base`, then the durability barrier. `started` runs right before the first
// step. Returns the report the crash tests compare: what stopped the run,
// how many steps ran, and every write the engine swallowed, one per line.
inline std::string RunHeavyApply(const std::string& base, bool stopOnFailure,
                                 const std::function<void()>& started = {}) {
  std::string report;
  THareWareInfo hardware = HeavyHardware();
  TPUBGLib engine(base, hardware);
  engine.SetClock([] { return FixedMoment(); });
  std::vector<Step> steps = PrepareSteps();
  for (Step& s : WriterSteps()) steps.push_back(std::move(s));
  for (Step& s : UndoSteps()) steps.push_back(std::move(s));
  size_t done = 0;
  if (started) started();
  try {
    for (const Step& step : steps) {
      step.run(engine);
      ++done;
      // After an injected failure only the report matters; stopping at the
      // step that swallowed it keeps fault runs short.
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
  return report;
}

}  // namespace kestrune::crash
