; The Windows installer of Zelkin Wumpets, made by packaging/windows/make-installer, which
; defines VERSION, VERSION4 (four numbers), OUTFILE, SCR, LICENSE, FILES (the data folder's File
; and Delete lines), SIZE_KB and, where the host build drew them, ICON and SIDE (the picture
; beside the first and last pages).
;
; The screen saver goes where Windows lists screen savers, the system folder; its pictures and
; songs go to the folder it looks in when there is no data\ beside it: the Windows folder's
; Vornicade\Zelkin Wumpets\, with the pages it opens in site\. The uninstaller lives there too.
; The settings file (vornicade.ini) is the user's and stays.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Zelkin Wumpets"
!define PUBLISHER "Vornicade"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkinWumpets"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$WINDIR\Vornicade\Zelkin Wumpets"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT License"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!ifdef SIDE
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE}"
  !define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE}"
!endif
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This puts the ${PRODUCT} screen saver on your computer: five Wumpets dancing among roses, lava lamps and a disco ball, to music.$\r$\n$\r$\nChoose it afterwards in the screen saver settings, where its Settings button opens its own dialog."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings now"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs a 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$SYSDIR"
  File "/oname=ZelkinWumpets.scr" "${SCR}"
  SetOutPath "$INSTDIR"
  !define INSTALL_DATA
  !include "${FILES}"
  !undef INSTALL_DATA
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The entry in the installed programs list.
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$SYSDIR\ZelkinWumpets.scr,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; What right-clicking a screen saver and choosing Install does: the screen saver settings open
; with this saver chosen.
Function OpenSaverSettings
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SYSDIR\ZelkinWumpets.scr'
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  Delete "$SYSDIR\ZelkinWumpets.scr"
  !define UNINSTALL_DATA
  !include "${FILES}"
  !undef UNINSTALL_DATA
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."  ; Vornicade\, when nothing else of the maker's is left in it
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; A saver that no longer exists should not stay the chosen one.
  ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\ZelkinWumpets.scr"
    DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  ${EndIf}
SectionEnd
