// TPUBGLib input and language writers. The big-jump binding edits the
// game's stored binding list inside GameUserSettings.ini as text; every byte
// outside the entries it replaces stays as it was.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/key_table.h"
#include "engine/pubg_lib.h"
#include "ini/ini_text.h"
#include "platform/ascii.h"
#include "platform/debug_log.h"
#include "platform/file_system.h"
#include "platform/regex_group.h"

namespace kestrune {
namespace {

using keytable::RunSwitch;
using keytable::SwitchRow;
using keytable::Target;

// clang-format off
constexpr const char* kJumpOn = R"((ActionName="Jump",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom),(Key=W,bAlt=True))))";
constexpr const char* kCrouchOn = R"((ActionName="ToggleCrouch",Keys=((Key=C),(),(Key=W,bCtrl=True))))";
constexpr const char* kJumpOff = R"((ActionName="Jump",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom))))";
constexpr const char* kCrouchOff = R"((ActionName="ToggleCrouch",Keys=((Key=C),())))";
constexpr const char* kWholeLine = R"(CustomInputSettins=(ActionKeyList=((ActionName="Jump",Keys=((Key=SpaceBar),(Key=Gamepad_FaceButton_Bottom),(Key=W,bAlt=True))),(ActionName="ToggleCrouch",Keys=((Key=C),(),(Key=W,bCtrl=True))))))";
// clang-format on

constexpr const char* kJumpAction = "Jump";
constexpr const char* kCrouchAction = "ToggleCrouch";

// The entries the binding writer edits, in order: action, on text, off text.
struct BindingEdit {
  const char* action;
  const char* on;
  const char* off;
};
constexpr BindingEdit kBindingEdits[] = {{kJumpAction, kJumpOn, kJumpOff},
                                         {kCrouchAction, kCrouchOn, kCrouchOff}};

constexpr std::string_view kBindingKey = "CustomInputSettins";
constexpr const char* kActionListPattern = R"(ActionKeyList\s*=)";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

constexpr SwitchRow kGameLanguage[] = {{Target::kUserSettings, "CultureName", "zh-CN", "en"}};
constexpr SwitchRow kMouseSmoothing[] = {
    {Target::kInput, "bEnableMouseSmoothing", "True", "False"}};

std::string ActionEntryPattern(std::string_view name) {
  std::string pattern = R"(\(\s*ActionName\s*=\s*")";
  pattern.append(name);
  pattern.push_back('"');
  return pattern;
}

bool EqualsNoCaseAt(std::string_view text, size_t at, std::string_view needle) {
  if (text.size() - at < needle.size()) return false;
  for (size_t i = 0; i < needle.size(); ++i) {
    if (AsciiLower(text[at + i]) != AsciiLower(needle[i])) return false;
  }
  return true;
}

// Index of the ')' that closes the '(' at `open`, or npos when it never does.
size_t MatchingParen(std::string_view text, size_t open) {
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return i;
  }
  return std::string_view::npos;
}

struct LineSpan {
  size_t begin;
  size_t contentEnd;
  size_t end;
};

std::vector<LineSpan> LineSpans(std::string_view text) {
  std::vector<LineSpan> lines;
  size_t pos = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
  while (pos < text.size()) {
    size_t i = pos;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    size_t end = i;
    if (end < text.size())
      end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    lines.push_back({pos, i, end});
    pos = end;
  }
  return lines;
}

// The binding line with its action list rebuilt: jump on, crouch on, then
// the entries it held except a ToggleCrouch one. nullopt when the line has
// no action list or the list never closes (a truncated file).
std::optional<std::string> RebuildActionList(std::string_view line) {
  RegexSpan part = RegexGroupSpan(line, kActionListPattern, 0);
  if (!part.found) return std::nullopt;
  size_t listBegin = part.end;
  size_t listEnd = listBegin;  // one past the old list
  std::vector<std::string_view> kept;
  if (listBegin < line.size() && line[listBegin] == '(') {
    size_t close = MatchingParen(line, listBegin);
    if (close == std::string_view::npos) return std::nullopt;
    listEnd = close + 1;
    std::string_view inner = line.substr(listBegin + 1, close - listBegin - 1);
    int depth = 0;
    size_t itemBegin = 0;
    for (size_t i = 0; i <= inner.size(); ++i) {
      if (i < inner.size()) {
        if (inner[i] == '(') ++depth;
        if (inner[i] == ')') --depth;
        if (inner[i] != ',' || depth != 0) continue;
      }
      std::string_view item = inner.substr(itemBegin, i - itemBegin);
      itemBegin = i + 1;
      std::string_view trimmed = TrimSpaceTab(item);
      if (trimmed.empty()) continue;
      RegexSpan crouch = RegexGroupSpan(trimmed, ActionEntryPattern(kCrouchAction), 0);
      if (crouch.found && crouch.begin == 0) continue;  // replaced by ours
      kept.push_back(item);
    }
  }
  std::string out(line.substr(0, listBegin));
  out.push_back('(');
  out.append(kJumpOn);
  out.push_back(',');
  out.append(kCrouchOn);
  for (std::string_view item : kept) {
    out.push_back(',');
    out.append(item);
  }
  out.push_back(')');
  out.append(line.substr(listEnd));
  return out;
}

// Turning the binding on when the file has no jump entry: rework the first
// binding line, or add the whole binding line when there is none.
std::string AddBindingLine(const std::string& text) {
  for (const LineSpan& span : LineSpans(text)) {
    std::string_view content(text.data() + span.begin, span.contentEnd - span.begin);
    if (content.find(kBindingKey) == std::string_view::npos) continue;
    std::optional<std::string> rebuilt = RebuildActionList(content);
    if (!rebuilt) {
      if (RegexGroupSpan(content, kActionListPattern, 0).found) {
        DebugLog("ApplyBigJumpBinding: the action list never closes; file left as it is");
        return text;
      }
      rebuilt = kWholeLine;
    }
    return text.substr(0, span.begin) + *rebuilt + text.substr(span.contentEnd);
  }
  std::string out = text;
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
  out.append(kWholeLine);
  out.append("\r\n");
  return out;
}

}  // namespace

std::string TPUBGLib::ReplaceActionMapping(std::string_view text, std::string_view name,
                                           std::string_view replacement) {
  RegexSpan match = RegexGroupSpan(text, ActionEntryPattern(name), 0);
  if (!match.found) return std::string(text);
  size_t close = MatchingParen(text, match.begin);
  if (close == std::string_view::npos) return std::string(text);
  std::string_view entry = text.substr(match.begin, close - match.begin + 1);
  std::string out;
  out.reserve(text.size() + replacement.size());
  size_t pos = 0;
  while (pos < text.size()) {
    // Candidates start with '(' like the entry itself.
    size_t next = text.find('(', pos);
    if (next == std::string_view::npos) break;
    if (EqualsNoCaseAt(text, next, entry)) {
      out.append(text.substr(pos, next - pos));
      out.append(replacement);
      pos = next + entry.size();
    } else {
      out.append(text.substr(pos, next + 1 - pos));
      pos = next + 1;
    }
  }
  out.append(text.substr(std::min(pos, text.size())));
  return out;
}

void TPUBGLib::ApplyBigJumpBinding(bool on) {
  const std::string& path = GameUserSettingsPath;
  if (!platform::FileExists(path)) {
    if (platform::PathExists(path))
      DebugLogF("ApplyBigJumpBinding: %s is not a regular file; left alone", path.c_str());
    return;
  }
  platform::ReadResult read = platform::ReadWholeFile(path);
  if (read.status != platform::ReadStatus::kOk) {
    if (read.status == platform::ReadStatus::kNotFound) return;  // vanished since the check
    throw EFileOpenError(path, read.error);
  }
  const std::string& original = read.data;
  if (original.find('\0') != std::string::npos) {
    DebugLogF("ApplyBigJumpBinding: %s holds NUL bytes, not INI text; left alone", path.c_str());
    NoteSwallowed(path, "file holds NUL bytes, not INI text");
    return;
  }

  std::string text = original;
  // The same case-insensitive entry test the edit itself uses, so a jump
  // entry spelled with blanks is edited rather than replaced line and all.
  if (on && !RegexGroupSpan(text, ActionEntryPattern(kJumpAction), 0).found) {
    text = AddBindingLine(text);
  } else {
    // The game keeps each entry on its binding line. An entry whose
    // parentheses never close on that line (a truncated or damaged file), or
    // one that swallows the other entry, would make the edit replace other
    // lines or drop the other binding: leave the whole file as it is.
    std::optional<std::pair<size_t, size_t>> spans[std::size(kBindingEdits)];
    for (size_t i = 0; i < std::size(kBindingEdits); ++i) {
      const char* action = kBindingEdits[i].action;
      RegexSpan entry = RegexGroupSpan(text, ActionEntryPattern(action), 0);
      if (!entry.found) continue;
      size_t close = MatchingParen(text, entry.begin);
      if (close == std::string_view::npos || text.find_first_of("\r\n", entry.begin) < close) {
        DebugLogF("ApplyBigJumpBinding: %s has an unclosed %s entry; left alone", path.c_str(),
                  action);
        NoteSwallowed(path, "an action entry of the key bindings never closes");
        return;
      }
      spans[i] = std::make_pair(entry.begin, close);
    }
    if (spans[0] && spans[1] && spans[0]->first <= spans[1]->second &&
        spans[1]->first <= spans[0]->second) {
      DebugLogF("ApplyBigJumpBinding: %s has key binding entries inside one another; left alone",
                path.c_str());
      NoteSwallowed(path, "the key binding entries overlap");
      return;
    }
    for (const BindingEdit& edit : kBindingEdits)
      text = ReplaceActionMapping(text, edit.action, on ? edit.on : edit.off);
  }
  // Lines keep their own endings and the file does not grow by an empty
  // line per call: an unchanged text needs no save at all.
  if (text == original) return;
  std::string error;
  if (!platform::IsWritable(path, &error) || !platform::ReplaceFileAtomically(path, text, &error)) {
    DebugLogF("ApplyBigJumpBinding: cannot save %s: %s", path.c_str(), error.c_str());
    NoteSwallowed(path, error);
    return;
  }
  NoteChanged(path);
}

void TPUBGLib::ApplyGameLanguage(bool chinese) {
  RunSwitch(*this, kGameLanguage, chinese);
}

void TPUBGLib::ApplyMouseSmoothing(bool on) {
  RunSwitch(*this, kMouseSmoothing, on);
}

}  // namespace kestrune
