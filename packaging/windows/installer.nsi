; installer.nsi - the Windows installer of Vantor Setup (makensis, NSIS 3).
;
; Defined by the build (packaging/windows/CMakeLists.txt): VERSION, STAGE (the
; folder to install, as in the zip), FILES (an include file that the staging
; writes: the macros VANTOR_DELETE_FILES and VANTOR_DELETE_FOLDERS, which name
; every installed file and folder, and SIZE_KB, their size), ICON (vantor.ico)
; and OUTFILE.
;
; A per-user installation: no administrator rights, nothing outside the
; user's own folders and registry. The programs go to
; %LOCALAPPDATA%\Programs\Vantor. They read the game's data files from their
; current folder and write screenshot.png, stdout.txt and stderr.txt there,
; so their Start-menu shortcuts start them in %LOCALAPPDATA%\Vantor, which
; holds copies of the data files (like the launcher on Linux): nothing is
; written into the programs' folder while they run. "Apps & features" lists the
; installation, and its uninstaller removes what was installed: the
; programs' folder, the copies, the shortcuts and the entry. It leaves the
; settings file (%APPDATA%\Vantor Settings) and the user's screenshots. /S
; installs and uninstalls silently.

; A 64-bit installer, like the programs: Windows runs it only where they run.
Target amd64-unicode
!include MUI2.nsh

!define NAME "Vantor Setup"
!define PUBLISHER "Vantor Haulage"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VantorSetup"
!define DATA_DIR "$LOCALAPPDATA\Vantor"
!define MENU_DIR "$SMPROGRAMS\Vantor Haulage"
!include "${FILES}"

Name "${NAME}"
Caption "${NAME} ${VERSION}: installation"
UninstallCaption "${NAME} ${VERSION}: removal"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantor"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

; The version resource names no copyright holder.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${NAME}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartSetup
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Starts the setup the way its shortcut does, in the data folder.
Function StartSetup
  SetOutPath "${DATA_DIR}"
  Exec '"$INSTDIR\vantor-setup.exe"'
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder of the shortcuts, with copies of the data files.
  SetOutPath "${DATA_DIR}"
  CopyFiles /SILENT "$INSTDIR\vantor.ttf" "${DATA_DIR}"
  CopyFiles /SILENT "$INSTDIR\logo.png" "${DATA_DIR}"

  ; A shortcut's working folder is the output folder when it is made.
  CreateDirectory "${MENU_DIR}"
  CreateShortcut "${MENU_DIR}\Vantor Setup.lnk" "$INSTDIR\vantor-setup.exe" "" \
    "$INSTDIR\vantor-setup.exe" 0 SW_SHOWNORMAL "" "Choose how Vantor Haulage draws its screen"
  CreateShortcut "${MENU_DIR}\Vantor Display Test.lnk" "$INSTDIR\vantor-display-test.exe" "" \
    "$INSTDIR\vantor-display-test.exe" 0 SW_SHOWNORMAL "" \
    "Check the saved display settings of Vantor Haulage"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantor-setup.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "${SIZE_KB}"
SectionEnd

Section "Uninstall"
  Delete "${MENU_DIR}\Vantor Setup.lnk"
  Delete "${MENU_DIR}\Vantor Display Test.lnk"
  RMDir "${MENU_DIR}"

  ; The copies of the data files and what the programs said (their standard
  ; output and error); the folder stays while it holds the user's
  ; screenshots.
  Delete "${DATA_DIR}\vantor.ttf"
  Delete "${DATA_DIR}\logo.png"
  Delete "${DATA_DIR}\stdout.txt"
  Delete "${DATA_DIR}\stderr.txt"
  RMDir "${DATA_DIR}"

  ; The programs' folder: what was installed.
  !insertmacro VANTOR_DELETE_FILES "$INSTDIR"
  Delete "$INSTDIR\uninstall.exe"
  !insertmacro VANTOR_DELETE_FOLDERS "$INSTDIR"
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
