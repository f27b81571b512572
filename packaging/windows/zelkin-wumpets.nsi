; The Windows installer of Zelkin Wumpets, made by packaging/windows/make-installer, which
; defines VERSION, VERSION4 (four numbers), OUTFILE, SCR64 and SCR32 (the 64-bit and the 32-bit
; program), LICENSE, FILES (the data folder's File and Delete lines), SIZE_KB and, where the
; host build drew them, ICON and SIDE (the picture beside the first and last pages). TARGET is
; the installer's own kind, x86-unicode unless given: a 32-bit installer runs on every Windows.
;
; The screen saver goes where Windows lists screen savers, the system folder: the 64-bit program
; on 64-bit Windows (the real System32, not the folder 32-bit programs are redirected to), the
; 32-bit one on 32-bit Windows. Its pictures and songs go to the folder it looks in when there
; is no data\ beside it: the Windows folder's Vornicade\Zelkin Wumpets\, with the pages it opens
; in site\. The uninstaller lives there too. The settings file (vornicade.ini) is the user's and
; stays.
;
; A running copy of the saver (full screen, its settings dialog, or the preview Windows runs in
; the screen saver settings) holds its file: both the installer and the uninstaller end it first
; and say so. What still cannot be replaced or removed is done when Windows restarts, and the
; last page says so (a silent run exits with 3010, "restart needed").

Unicode true
!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Zelkin Wumpets"
!define PUBLISHER "Vornicade"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkinWumpets"
!define SAVER "ZelkinWumpets.scr"

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

; The header of the progress page once it is done: what really happened.
Var OutcomeTitle
Var Outcome

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
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$OutcomeTitle"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$Outcome"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$OutcomeTitle"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$Outcome"
!insertmacro MUI_UNPAGE_INSTFILES
; The last page offers the restart when files wait for it; the details stay readable before it.
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; The system folder as Windows lists screen savers from it: a 32-bit installer on 64-bit
; Windows would otherwise be sent to SysWOW64. Redirection is per thread: the sections run in
; a thread of their own, so each caller sets it.
!macro REAL_SYSTEM_FOLDER
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
!macroend

; Functions the installer and the uninstaller share (NSIS wants the uninstaller's named un.).
!macro SAVER_FUNCTIONS un
  ; Pushes 1 when the installed saver is in use: a running copy holds its file, which then
  ; cannot be opened for writing.
  Function ${un}SaverInUse
    ClearErrors
    ${IfNot} ${FileExists} "$SYSDIR\${SAVER}"
      Push 0
      Return
    ${EndIf}
    FileOpen $R9 "$SYSDIR\${SAVER}" a
    ${If} ${Errors}
      Push 1
      Return
    ${EndIf}
    FileClose $R9
    Push 0
  FunctionEnd

  ; Waits up to five seconds for the saver's file to be free; pushes 1 when it is still held.
  Function ${un}WaitSaverEnded
    ${For} $R8 1 20
      Call ${un}SaverInUse
      Pop $R7
      ${If} $R7 == 0
        Push 0
        Return
      ${EndIf}
      Sleep 250
    ${Next}
    Push 1
  FunctionEnd

  ; Ends running copies of the saver: the full-screen saver, its settings dialog, the preview
  ; in the screen saver settings. Asked first (in a silent run, done); closed politely (its
  ; windows get WM_CLOSE: an open settings dialog closes as with its close box), then ended.
  ; Pushes 1 when the file is still held (another user's copy we may not end): the caller then
  ; leaves that file to the next restart.
  Function ${un}EndRunningSaver
    Call ${un}SaverInUse
    Pop $R7
    ${If} $R7 == 0
      Push 0
      Return
    ${EndIf}
    DetailPrint "${PRODUCT} is running: the screen saver, its settings dialog or its preview."
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running: the screen saver, its settings dialog, or its preview in the screen saver settings.$\r$\n$\r$\nChoose Retry to close it and go on (an open settings dialog closes without saving), or Cancel to stop here without changing anything." /SD IDRETRY IDRETRY end
    DetailPrint "Stopped: ${PRODUCT} is still running, nothing was changed."
    Abort "${PRODUCT} is still running: nothing was changed."
  end:
    ; The user may have closed it meanwhile.
    Call ${un}SaverInUse
    Pop $R7
    ${If} $R7 == 0
      DetailPrint "${PRODUCT} was closed."
      Push 0
      Return
    ${EndIf}
    DetailPrint "Closing ${PRODUCT}..."
    nsExec::ExecToLog '"$SYSDIR\taskkill.exe" /IM ${SAVER}'
    Pop $R7
    Call ${un}WaitSaverEnded
    Pop $R7
    ${If} $R7 == 1
      DetailPrint "Ending ${PRODUCT}..."
      nsExec::ExecToLog '"$SYSDIR\taskkill.exe" /F /IM ${SAVER}'
      Pop $R7
      Call ${un}WaitSaverEnded
      Pop $R7
    ${EndIf}
    ${If} $R7 == 1
      DetailPrint "${PRODUCT} is still in use and could not be ended: its files are dealt with when Windows restarts."
      Push 1
    ${Else}
      DetailPrint "${PRODUCT} was ended."
      Push 0
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro SAVER_FUNCTIONS ""
!insertmacro SAVER_FUNCTIONS "un."

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; The program for this Windows, into the system folder ($0: 1 when the old one could not be
; ended: the new one is put beside it and takes its place at the next restart).
!macro INSTALL_SAVER SOURCE
  ${If} $0 == 1
    File "/oname=$SYSDIR\ZelkinWumpets.new" "${SOURCE}"
    Rename /REBOOTOK "$SYSDIR\ZelkinWumpets.new" "$SYSDIR\${SAVER}"
    DetailPrint "${SAVER} is in use: the new one takes its place when Windows restarts."
  ${Else}
    File "/oname=$SYSDIR\${SAVER}" "${SOURCE}"
  ${EndIf}
!macroend

Section "${PRODUCT}"
  StrCpy $OutcomeTitle "$(MUI_TEXT_FINISH_TITLE)"
  StrCpy $Outcome "$(MUI_TEXT_FINISH_SUBTITLE)"
  !insertmacro REAL_SYSTEM_FOLDER
  Call EndRunningSaver
  Pop $0
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    DetailPrint "64-bit Windows: the 64-bit ${SAVER}."
    !insertmacro INSTALL_SAVER "${SCR64}"
  ${Else}
    DetailPrint "32-bit Windows: the 32-bit ${SAVER}."
    !insertmacro INSTALL_SAVER "${SCR32}"
  ${EndIf}
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
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$SYSDIR\${SAVER},0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
  ${If} ${RebootFlag}
    StrCpy $OutcomeTitle "Restart Needed"
    StrCpy $Outcome "Setup is finished once Windows restarts: a file in use is replaced then."
  ${EndIf}
SectionEnd

Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd

; What right-clicking a screen saver and choosing Install does: the screen saver settings open
; with this saver chosen.
Function OpenSaverSettings
  !insertmacro REAL_SYSTEM_FOLDER
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SYSDIR\${SAVER}'
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Uninstall"
  StrCpy $OutcomeTitle "$(MUI_UNTEXT_FINISH_TITLE)"
  StrCpy $Outcome "$(MUI_UNTEXT_FINISH_SUBTITLE)"
  !insertmacro REAL_SYSTEM_FOLDER
  Call un.EndRunningSaver
  Pop $0
  ; Whatever is still held is removed at the next restart (and the reboot flag is set).
  Delete /REBOOTOK "$SYSDIR\${SAVER}"
  Delete /REBOOTOK "$SYSDIR\ZelkinWumpets.new"
  !define UNINSTALL_DATA
  !include "${FILES}"
  !undef UNINSTALL_DATA
  Delete /REBOOTOK "$INSTDIR\LICENSE.txt"
  Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  ; Vornicade\, when nothing else of the maker's is left in it (after the restart, when our
  ; folder waits for it).
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR\.."
  ${Else}
    RMDir "$INSTDIR\.."
  ${EndIf}
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; A saver that no longer exists should not stay the chosen one.
  ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\${SAVER}"
    DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  ${EndIf}
  ${If} ${RebootFlag}
    DetailPrint "Files still in use are removed when Windows restarts."
    StrCpy $OutcomeTitle "Restart Needed"
    StrCpy $Outcome "Files still in use are removed when Windows restarts."
  ${EndIf}
SectionEnd

Function un.onUninstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd
