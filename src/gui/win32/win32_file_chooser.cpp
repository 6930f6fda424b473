// The common file dialog (Windows only): a preset file to save to or to open.
#include "gui/win32/win32_gui.h"
// The common dialogs need <windows.h>, which the host's header brings first.
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::gui {

std::optional<std::string> ChooseFile(FileChoice choice, const std::string& title,
                                      const std::string& suggestedName) {
  const bool save = choice == FileChoice::kSave;
  // 32 K wide characters: the longest path the system takes.
  std::vector<wchar_t> name(32768, L'\0');
  std::wstring suggested = win32::Wide(suggestedName);
  if (save) suggested.copy(name.data(), std::min(suggested.size(), name.size() - 1));
  std::wstring caption = win32::Wide(title);
  // Pairs of a shown name and a pattern, each ended by a NUL, the list by two.
  static const wchar_t kFilter[] = L"*.ini\0*.ini\0*\0*.*\0";

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = ::GetActiveWindow();
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrTitle = caption.c_str();
  ofn.lpstrDefExt = L"ini";
  ofn.Flags = OFN_NOCHANGEDIR | OFN_EXPLORER |
              (save ? OFN_OVERWRITEPROMPT : (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
  const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  return win32::Narrow(name.data());
}

}  // namespace kestrune::gui
