; The Windows installer for Vantor (NSIS 3, made by package.sh):
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1 -DSTAGE=<zip layout folder> -DOUTFILE=<exe>
;            -DFILE_LIST=<File lines> -DUNFILE_LIST=<Delete lines> [-DWITH_GUI] vantor.nsi
; Installs for the current user (no administrator rights needed) into
; %LOCALAPPDATA%\Programs\Vantor by default, or a folder the player picks:
;   bin\vantor.exe, bin\vantor-cli.exe, data\, README.txt, LICENSE.txt
; The data is not beside the programs, so the install folder is never taken
; for the game's folder. A second page asks for Korvane's folder and stores
; it where the desktop program's settings keep it (the registry value
; HKCU\Software\Vantor\Vantor\gameFolder); left empty, the program asks at
; its first start (silent installs: /S /GAMEFOLDER=<folder> /D=<install folder>).
; A Start-menu folder and an uninstaller come with it. The
; uninstaller removes what it installed; the game's folder and its atlas are
; never touched.
Unicode true
; A 64-bit installer for a 64-bit program (it also runs under 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

!ifndef VERSION
  !error "VERSION is not defined (makensis -DVERSION=...)"
!endif
!ifndef STAGE
  !error "STAGE is not defined (makensis -DSTAGE=<folder with the zip's files>)"
!endif
!ifndef FILE_LIST
  !error "FILE_LIST is not defined (the data files' File lines, written by package.sh)"
!endif
!ifndef OUTFILE
  !define OUTFILE "vantor-${VERSION}-windows-x64-setup.exe"
!endif
!define SETTINGS_KEY "Software\Vantor\Vantor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\org.vantor.Vantor"

Name "Vantor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ShowInstDetails show
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Vantor"
VIAddVersionKey "FileDescription" "Vantor installer: map generator for Korvane"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 the Vantor developers (MIT)"
VIAddVersionKey "CompanyName" "the Vantor developers"

Var GameFolder
Var GameFolderField

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
Page custom GameFolderPage GameFolderLeave
!insertmacro MUI_PAGE_INSTFILES
!ifdef WITH_GUI
  !define MUI_FINISHPAGE_RUN "$INSTDIR\bin\vantor.exe"
  !define MUI_FINISHPAGE_RUN_TEXT "Start Vantor"
!endif
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Czech"

LangString GameFolderTitle ${LANG_ENGLISH} "Korvane's folder"
LangString GameFolderTitle ${LANG_CZECH} "Složka hry Korvane"
LangString GameFolderSubtitle ${LANG_ENGLISH} "Where Vantor writes the maps the game reads."
LangString GameFolderSubtitle ${LANG_CZECH} "Kam Vantor zapisuje mapy, které hra čte."
LangString GameFolderText ${LANG_ENGLISH} "Choose the folder Korvane is installed in (the one with atlas and config.ini). Vantor writes its maps into its atlas folder. Leave it empty to choose it when Vantor first starts."
LangString GameFolderText ${LANG_CZECH} "Vyberte složku, ve které je nainstalována hra Korvane (obsahuje atlas a config.ini). Vantor do její složky atlas zapisuje mapy. Necháte-li pole prázdné, Vantor se na ni zeptá při prvním spuštění."
LangString GameFolderBrowse ${LANG_ENGLISH} "Browse..."
LangString GameFolderBrowse ${LANG_CZECH} "Procházet..."
LangString GameFolderMissing ${LANG_ENGLISH} "This folder does not exist. Choose Korvane's folder, or leave the field empty."
LangString GameFolderMissing ${LANG_CZECH} "Tato složka neexistuje. Vyberte složku hry Korvane, nebo nechte pole prázdné."
LangString GameFolderNoConfig ${LANG_ENGLISH} "There is no config.ini in this folder. Use it as Korvane's folder anyway?"
LangString GameFolderNoConfig ${LANG_CZECH} "V této složce není config.ini. Přesto ji použít jako složku hry Korvane?"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Vantor needs 64-bit Windows."
    Abort
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
  ReadRegStr $GameFolder HKCU "${SETTINGS_KEY}" "gameFolder"
  ; A silent install (/S) takes the game's folder from /GAMEFOLDER=<folder>.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/GAMEFOLDER=" $1
  ${IfNot} ${Errors}
    StrCpy $GameFolder $1
  ${EndIf}
FunctionEnd

Function GameFolderPage
  !insertmacro MUI_HEADER_TEXT "$(GameFolderTitle)" "$(GameFolderSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "$(GameFolderText)"
  Pop $0
  ${NSD_CreateDirRequest} 0 48u 75% 12u "$GameFolder"
  Pop $GameFolderField
  ${NSD_CreateBrowseButton} 77% 47u 23% 14u "$(GameFolderBrowse)"
  Pop $0
  ${NSD_OnClick} $0 GameFolderBrowse
  nsDialogs::Show
FunctionEnd

Function GameFolderBrowse
  ${NSD_GetText} $GameFolderField $0
  nsDialogs::SelectFolderDialog "$(GameFolderTitle)" "$0"
  Pop $0
  ${If} $0 != error
    ${NSD_SetText} $GameFolderField "$0"
  ${EndIf}
FunctionEnd

Function GameFolderLeave
  ${NSD_GetText} $GameFolderField $GameFolder
  ${If} $GameFolder == ""
    Return
  ${EndIf}
  ${IfNot} ${FileExists} "$GameFolder\*.*"
    MessageBox MB_ICONEXCLAMATION "$(GameFolderMissing)"
    Abort
  ${EndIf}
  ${IfNot} ${FileExists} "$GameFolder\config.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION "$(GameFolderNoConfig)" IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "Vantor" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR\bin"
!ifdef WITH_GUI
  File "${STAGE}\vantor.exe"
!endif
  File "${STAGE}\vantor-cli.exe"
  ; data\ file by file (package.sh lists them), so that the uninstaller
  ; removes exactly these even if the folder was chosen unwisely.
  !include "${FILE_LIST}"
!if /FileExists "${STAGE}\qt.conf"
  ; Qt's translations are in data\translations, one level above the programs.
  FileOpen $0 "$INSTDIR\bin\qt.conf" w
  FileWrite $0 "[Paths]$\r$\nPrefix=..$\r$\nTranslations=data/translations$\r$\n"
  FileClose $0
!endif
  SetOutPath "$INSTDIR"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\DejaVu-fonts-LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${If} $GameFolder != ""
    WriteRegStr HKCU "${SETTINGS_KEY}" "gameFolder" "$GameFolder"
  ${EndIf}

  CreateDirectory "$SMPROGRAMS\Vantor"
!ifdef WITH_GUI
  ; Started in the game's folder when one was chosen.
  ${If} $GameFolder != ""
    SetOutPath "$GameFolder"
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Vantor\Vantor.lnk" "$INSTDIR\bin\vantor.exe" "" "$INSTDIR\bin\vantor.exe" 0
  SetOutPath "$INSTDIR"
!endif
  CreateShortcut "$SMPROGRAMS\Vantor\Read me.lnk" "$INSTDIR\README.txt"
  CreateShortcut "$SMPROGRAMS\Vantor\Uninstall Vantor.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vantor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the Vantor developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
!ifdef WITH_GUI
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bin\vantor.exe"
!endif
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Removes only what the installer put there (never the game's folder, the
; atlas, or the player's settings), then the folders if they are empty.
Section "Uninstall"
  Delete "$INSTDIR\bin\vantor.exe"
  Delete "$INSTDIR\bin\vantor-cli.exe"
  Delete "$INSTDIR\bin\qt.conf"
  RMDir "$INSTDIR\bin"
  !include "${UNFILE_LIST}"
  RMDir "$INSTDIR\data"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\DejaVu-fonts-LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vantor\Vantor.lnk"
  Delete "$SMPROGRAMS\Vantor\Read me.lnk"
  Delete "$SMPROGRAMS\Vantor\Uninstall Vantor.lnk"
  RMDir "$SMPROGRAMS\Vantor"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
