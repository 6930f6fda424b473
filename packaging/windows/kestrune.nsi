; Kestrune's per-user installer. Built by CMake (target
; kestrune_windows_packages) with makensis; the defines come from there:
;   VERSION    1.0.0.1
;   OUTFILE    the installer to write
;   FILES_NSH  the generated list of the program folder's files (the macros
;              KestruneInstallFiles and KestruneRemoveFiles, and HAVE_GUI
;              when the windowed program is part of the build)
; Installs into %LOCALAPPDATA%\Programs\Kestrune without administrator
; rights, so Config.dat beside the executable stays writable. The
; uninstaller removes only what the installer put there: Config.dat (the
; player's choices), the backups in %LOCALAPPDATA%\Kestrune and the game's
; own files stay.
; A 64-bit installer for the 64-bit program (and Wine's wine64 runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "${FILES_NSH}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune"
!define SHORTCUTS "$SMPROGRAMS\Kestrune"

Name "Kestrune"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrune"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Kestrune"
VIAddVersionKey /LANG=2052 "FileDescription" "Kestrune 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Kestrune developers"

!define MUI_ICON "kestrune.ico"
!define MUI_UNICON "kestrune.ico"
!ifdef HAVE_GUI
  !define MUI_FINISHPAGE_RUN "$INSTDIR\kestrune.exe"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Kestrune"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro KestruneInstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${SHORTCUTS}"
  !ifdef HAVE_GUI
    CreateShortcut "${SHORTCUTS}\Kestrune.lnk" "$INSTDIR\kestrune.exe"
  !endif
  ; The command line in a console window that stays open, in the program's folder.
  CreateShortcut "${SHORTCUTS}\Kestrune 命令行.lnk" "$WINDIR\System32\cmd.exe" \
    '/k "$INSTDIR\kestrune-cli.exe" help' "$INSTDIR\kestrune-cli.exe"
  CreateShortcut "${SHORTCUTS}\卸载 Kestrune.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kestrune"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kestrune developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro KestruneRemoveFiles
  Delete "$INSTDIR\Uninstall.exe"
  Delete "${SHORTCUTS}\Kestrune.lnk"
  Delete "${SHORTCUTS}\Kestrune 命令行.lnk"
  Delete "${SHORTCUTS}\卸载 Kestrune.lnk"
  RMDir "${SHORTCUTS}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Not recursive: a folder that still holds Config.dat (or anything else the
  ; player put there) stays.
  RMDir "$INSTDIR"
SectionEnd
