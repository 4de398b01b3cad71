; The PLOTXFER installer. The converter must live in the drafting system's program folder (it finds
; VXCVPX.exe, RSTKIT\ and VELLUMIX.SYS beside itself), so the folder offered is the one the bundled
; VxSetup.dll reports; the drafting system's own files are never written or removed.
;
; Built by packaging/CMakeLists.txt:
;   makensis -INPUTCHARSET UTF8 -DVERSION=9.0.0 -DVERSION_QUAD=9.0.0.0 -DTARGET=x86-unicode
;            -DPROGRAM=... -DBATCH=... -DHELP=... -DICON=... -DVXSETUP=... -DOUTFILE=...
;            [-DSIGN_COMMAND=...] plotxfer.nsi
; TARGET and VXSETUP go together: the x86 installer loads the 32-bit library, an amd64 one the
; 64-bit library.
;
; Silent use: setup.exe /S [/D=folder]. Without /D the drafting system's folder is taken. Exit
; codes (the same in README.md): 0 installed; 1 cancelled by the user; 2 no folder (no drafting
; system and no /D); 3 PLOTXFER.exe or plotxfer-batch.exe runs from the folder; 4 a newer version is
; installed. Codes 2 to 4 are decided before anything is written. The uninstaller ends with 3 when
; one of the programs runs (the code reaches the caller only with _?=folder).
;
; With -DSIGN_COMMAND=script the uninstaller and then the installer are handed to the script once
; makensis has written them (packaging/sign-file.sh signs them when given a certificate).

Unicode true
; The name "...-setup.exe" makes Windows treat the file as an installer, which it is; it asks for
; administrator rights anyway.
!pragma warning disable 9000
Target ${TARGET}
SetCompressor /SOLID lzma
; Installed files get the time of installation, and the installer depends only on their bytes.
SetDateSave off

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "WordFunc.nsh"

!define PRODUCT "PLOTXFER"
; The one name a user meets outside the program's own window: Start menu, uninstall entry, installer.
!define DISPLAY_NAME "画像変換アプリケーション (PLOTXFER)"
!define PUBLISHER "MORVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PLOTXFER"
!define UNINSTALLER "PLOTXFER-uninstall.exe"
!define MENU_FOLDER "$SMPROGRAMS\${DISPLAY_NAME}"
; Where versions before 9.0.0 put their shortcut; an upgrade removes it.
!define OLD_MENU_FOLDER "$SMPROGRAMS\PLOTXFER"
; Exit codes besides 0, and 1, which NSIS gives when the user cancels.
!define EXIT_NO_FOLDER 2
!define EXIT_RUNNING 3
!define EXIT_NEWER_INSTALLED 4

Name "${DISPLAY_NAME}"
BrandingText "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
!ifdef SIGN_COMMAND
  ; The uninstaller is written at install time from data inside the installer: it is signed here,
  ; before it is packed, and the installer after it.
  !uninstfinalize '"${SIGN_COMMAND}" "%1"' = 0
  !finalize '"${SIGN_COMMAND}" "%1"' = 0
!endif
RequestExecutionLevel admin
; Empty on purpose: the drafting system's folder, /D=, or the user's choice fills it.
InstallDir ""
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_GUIINIT FitButtons
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.FitButtons
!define MUI_PAGE_CUSTOMFUNCTION_SHOW DirectoryShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\PLOTXFER.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(StartProgram)"
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ConfirmShow
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString NoDraftingSystem ${LANG_ENGLISH} \
  "The folder$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\ndoes not hold VXCVPX.exe. PLOTXFER works only in the \
folder where VELLUMIX is installed: it uses VXCVPX.exe, RSTKIT and VELLUMIX.SYS of its own folder.\
$\r$\n$\r$\nInstall into this folder anyway?"
LangString NoDraftingSystem ${LANG_JAPANESE} \
  "フォルダ$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nに VXCVPX.exe がありません。PLOTXFER は VELLUMIX が\
インストールされているフォルダでのみ動作します (同じフォルダの VXCVPX.exe、RSTKIT、VELLUMIX.SYS を\
使います)。$\r$\n$\r$\nこのフォルダにインストールしますか?"
LangString NoFolderSilent ${LANG_ENGLISH} \
  "VELLUMIX was not found on this computer. Name the folder with /D=folder."
LangString NoFolderSilent ${LANG_JAPANESE} \
  "VELLUMIX がこのコンピュータに見つかりません。/D=フォルダ でフォルダを指定してください。"
LangString NoFolderFound ${LANG_ENGLISH} \
  "The folder of VELLUMIX was not found. Choose the folder that holds VXCVPX.exe."
LangString NoFolderFound ${LANG_JAPANESE} \
  "VELLUMIX のフォルダが見つかりませんでした。VXCVPX.exe のあるフォルダを選んでください。"
LangString ProgramRunning ${LANG_ENGLISH} \
  "${DISPLAY_NAME} is running from$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nClose PLOTXFER.exe and \
plotxfer-batch.exe, then choose Retry."
LangString ProgramRunning ${LANG_JAPANESE} \
  "${DISPLAY_NAME} が$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nで実行中です。PLOTXFER.exe と plotxfer-batch.exe を\
終了してから「再試行」を選んでください。"
LangString NewerInstalled ${LANG_ENGLISH} \
  "Version $0 of ${DISPLAY_NAME} is installed. Replace it with the older version ${VERSION}?"
LangString NewerInstalled ${LANG_JAPANESE} \
  "${DISPLAY_NAME} のバージョン $0 がインストールされています。古いバージョン ${VERSION} で置き換えますか?"
LangString StartProgram ${LANG_ENGLISH} "Start ${DISPLAY_NAME}"
LangString StartProgram ${LANG_JAPANESE} "${DISPLAY_NAME} を起動する"
LangString HelpShortcut ${LANG_ENGLISH} "${DISPLAY_NAME} Help"
LangString HelpShortcut ${LANG_JAPANESE} "${DISPLAY_NAME} ヘルプ"
; The Japanese language file has the uninstall button in half-width kana, which no font keeps
; readable at button size.
LangString UninstallButton ${LANG_ENGLISH} "&Uninstall"
LangString UninstallButton ${LANG_JAPANESE} "アンインストール(&U)"
UninstallButtonText "$(UninstallButton)"

; The dialog font of Japanese Windows. Where the language file's "ＭＳ Ｐゴシック" is not found by
; that name (Wine among them) a wider face stands in and cuts the texts.
SetFont /LANG=${LANG_JAPANESE} "MS UI Gothic" 9

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${DISPLAY_NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${DISPLAY_NAME} ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

; The programs are 64-bit: their uninstall entry belongs in the 64-bit view of the registry.
!macro UseMachineView
  !if "${TARGET}" == "amd64-unicode"
    SetRegView 64
  !else
    ${If} ${RunningX64}
      SetRegView 64
    ${EndIf}
  !endif
!macroend

; Functions the installer and the uninstaller both need (the uninstaller's carry the prefix un.).
!macro SharedFunctions UN
; $1 a file: $0 = 1 when a running program holds it. Windows refuses to open a running program's
; file for writing with a sharing violation; any other outcome leaves the file to the install.
Function ${UN}FileRunning
  StrCpy $0 0
  ${If} ${FileExists} "$1"
    System::Call 'kernel32::CreateFileW(w r1, i 0x40000000, i 7, p 0, i 3, i 0x80, p 0) p .r2 ?e'
    Pop $3
    ${If} $2 = -1
      ${If} $3 = 32
        StrCpy $0 1
      ${EndIf}
    ${Else}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${EndIf}
FunctionEnd

; $0 = 1 when PLOTXFER.exe or plotxfer-batch.exe runs from $INSTDIR and the user, asked to close
; it, chose Cancel (a silent run never asks); $0 = 0 when neither runs.
Function ${UN}CloseRunning
  ${Do}
    StrCpy $1 "$INSTDIR\PLOTXFER.exe"
    Call ${UN}FileRunning
    ${If} $0 = 0
      StrCpy $1 "$INSTDIR\plotxfer-batch.exe"
      Call ${UN}FileRunning
    ${EndIf}
    ${If} $0 = 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
    Return
    retry:
  ${Loop}
FunctionEnd

; $R0 a window, $R1 a text: $R2 = its width in pixels in the window's font.
Function ${UN}TextWidth
  System::Call 'user32::GetDC(p R0) p .r8'
  SendMessage $R0 ${WM_GETFONT} 0 0 $9
  System::Call 'gdi32::SelectObject(p r8, p r9) p .r9'
  StrLen $7 $R1
  System::Call '*(i 0, i 0) p .r6'
  System::Call 'gdi32::GetTextExtentPoint32W(p r8, w R1, i r7, p r6)'
  System::Call '*$6(i .R2, i)'
  System::Free $6
  System::Call 'gdi32::SelectObject(p r8, p r9)'
  System::Call 'user32::ReleaseDC(p R0, p r8)'
FunctionEnd

; $R0 a window: $R3 $R4 $R5 $R6 = its left, top, right and bottom in its parent's client area.
Function ${UN}WindowBox
  System::Call '*(i 0, i 0, i 0, i 0) p .r6'
  System::Call 'user32::GetWindowRect(p R0, p r6)'
  System::Call 'user32::GetParent(p R0) p .r7'
  System::Call 'user32::MapWindowPoints(p 0, p r7, p r6, i 2)'
  System::Call '*$6(i .R3, i .R4, i .R5, i .R6)'
  System::Free $6
FunctionEnd

; $R1 a text: $R7 = the larger of $R7 and the width of a button that shows it whole.
Function ${UN}ButtonNeeds
  GetDlgItem $R0 $HWNDPARENT 1
  Call ${UN}TextWidth
  IntOp $R2 $R2 + 16
  ${If} $R2 > $R7
    StrCpy $R7 $R2
  ${EndIf}
FunctionEnd

; $R1 a button, $R7 its width, $4 the new and $5 the old left edge of its right neighbour: the
; button keeps its gap to the neighbour; then $4 and $5 are its own new and old left edges.
Function ${UN}PlaceButton
  GetDlgItem $R0 $HWNDPARENT $R1
  Call ${UN}WindowBox
  IntOp $R2 $5 - $R5
  StrCpy $5 $R3
  IntOp $R5 $4 - $R2
  IntOp $R3 $R5 - $R7
  StrCpy $4 $R3
  IntOp $R8 $R6 - $R4
  System::Call 'user32::SetWindowPos(p R0, p 0, i R3, i R4, i R7, i R8, i 0x14)'
FunctionEnd

; The buttons' texts are wider than NSIS's buttons in Japanese ("インストール(I)"): Back, Next and
; Cancel get one width that holds the widest of the texts they show, right-aligned as before.
Function ${UN}FitButtons
  GetDlgItem $R0 $HWNDPARENT 2
  Call ${UN}WindowBox
  IntOp $R7 $R5 - $R3
  StrCpy $4 $R5
  StrCpy $5 $R5
  !if "${UN}" == ""
    StrCpy $R1 "$(^InstallBtn)"
    Call ButtonNeeds
    StrCpy $R1 "$(MUI_BUTTONTEXT_FINISH)"
    Call ButtonNeeds
  !else
    StrCpy $R1 "$(UninstallButton)"
    Call un.ButtonNeeds
  !endif
  StrCpy $R1 "$(^NextBtn)"
  Call ${UN}ButtonNeeds
  StrCpy $R1 "$(^BackBtn)"
  Call ${UN}ButtonNeeds
  StrCpy $R1 "$(^CancelBtn)"
  Call ${UN}ButtonNeeds
  StrCpy $R1 "$(^CloseBtn)"
  Call ${UN}ButtonNeeds
  ; Right to left: Cancel, Next, Back.
  StrCpy $R1 2
  Call ${UN}PlaceButton
  StrCpy $R1 1
  Call ${UN}PlaceButton
  StrCpy $R1 3
  Call ${UN}PlaceButton
FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; "1" when the folder came from /D= or from the drafting system's registry value.
Var FolderFound

Function .onInit
  !insertmacro UseMachineView
  StrCpy $FolderFound 1
  ${If} $INSTDIR == ""
    StrCpy $FolderFound 0
    ; The library reads HKEY_USERS\.DEFAULT\Software\Morva\Vellumix ExePath in the ANSI code page
    ; (type m); ?u unloads it again so that the plug-in folder can be removed at the end.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\VxSetup.dll" "${VXSETUP}"
    System::Call "$PLUGINSDIR\VxSetup::GetDefaultInstallPath(m .r0) i .r1 ?u"
    ${If} $1 == 1
      StrCpy $INSTDIR $0
      StrCpy $FolderFound 1
    ${EndIf}
  ${EndIf}
  ${If} ${Silent}
  ${AndIf} $INSTDIR == ""
    MessageBox MB_OK|MB_ICONSTOP "$(NoFolderSilent)" /SD IDOK
    SetErrorLevel ${EXIT_NO_FOLDER}
    Quit
  ${EndIf}
  ; An older version over a newer one only when the user says so.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} "${VERSION}" "$0" $1
    ${If} $1 = 2
      MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(NewerInstalled)" /SD IDNO IDYES older_wanted
      SetErrorLevel ${EXIT_NEWER_INSTALLED}
      Quit
      older_wanted:
    ${EndIf}
  ${EndIf}
  ; A silent install shows no pages: its folder is final here.
  ${If} ${Silent}
    Call CloseRunning
    ${If} $0 = 1
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Without the drafting system's folder the page would show an empty field and a greyed button.
Function DirectoryShow
  ${If} $FolderFound != 1
    SendMessage $mui.DirectoryPage.Text ${WM_SETTEXT} 0 "STR:$(NoFolderFound)"
  ${EndIf}
FunctionEnd

; Asked before anything is written; a silent install goes where it was told.
Function DirectoryLeave
  ${IfNot} ${FileExists} "$INSTDIR\VXCVPX.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(NoDraftingSystem)" /SD IDYES IDYES +2
    Abort
  ${EndIf}
  Call CloseRunning
  ${If} $0 = 1
    Abort
  ${EndIf}
FunctionEnd

Section "PLOTXFER" SectionProgram
  SectionIn RO
  ${IfNot} ${FileExists} "$INSTDIR\VXCVPX.exe"
    DetailPrint "VXCVPX.exe: not in $INSTDIR"
  ${EndIf}
  ; A copy installed in another folder is uninstalled first, so that one copy and one uninstall
  ; entry remain. _?= keeps its uninstaller in place and waits for it.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "$0: uninstalling the copy there"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    ${If} $1 = 0
      Delete "$0\${UNINSTALLER}"
      RMDir "$0"
    ${Else}
      DetailPrint "$0: left as it is (exit code $1)"
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Only the converter's own files; whatever else the folder holds belongs to the drafting system.
  File "/oname=PLOTXFER.exe" "${PROGRAM}"
  File "/oname=plotxfer-batch.exe" "${BATCH}"
  File "/oname=PLOTXFER.html" "${HELP}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  Delete "${OLD_MENU_FOLDER}\PLOTXFER.lnk"
  RMDir "${OLD_MENU_FOLDER}"
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${DISPLAY_NAME}.lnk" "$INSTDIR\PLOTXFER.exe" "" \
    "$INSTDIR\PLOTXFER.exe" 0 SW_SHOWNORMAL "" "${DISPLAY_NAME} ${VERSION}"
  CreateShortcut "${MENU_FOLDER}\$(HelpShortcut).lnk" "$INSTDIR\PLOTXFER.html"

  SectionGetSize ${SectionProgram} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\PLOTXFER.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro UseMachineView
  Call un.CloseRunning
  ${If} $0 = 1
    SetErrorLevel ${EXIT_RUNNING}
    Quit
  ${EndIf}
FunctionEnd

; The label before the folder must read "アンインストール元:" whole; the folder field gives way.
Function un.ConfirmShow
  StrCpy $R0 $mui.UnConfirmPage.DirectoryText
  System::Call 'user32::GetWindowTextW(p R0, w .R1, i ${NSIS_MAX_STRLEN})'
  Call un.TextWidth
  Call un.WindowBox
  IntOp $R2 $R2 + 4
  IntOp $R7 $R5 - $R3
  ${If} $R2 > $R7
    IntOp $R9 $R2 - $R7
    IntOp $R8 $R6 - $R4
    System::Call 'user32::SetWindowPos(p R0, p 0, i R3, i R4, i R2, i R8, i 0x14)'
    StrCpy $R0 $mui.UnConfirmPage.Directory
    Call un.WindowBox
    IntOp $R3 $R3 + $R9
    IntOp $R7 $R5 - $R3
    IntOp $R8 $R6 - $R4
    System::Call 'user32::SetWindowPos(p R0, p 0, i R3, i R4, i R7, i R8, i 0x14)'
  ${EndIf}
FunctionEnd

; What the installer wrote and what the program left in RSTKIT, nothing else. The folder is the
; drafting system's and stays; the user's settings under HKEY_CURRENT_USER\SOFTWARE\MORVA\PLOTXFER
; stay too.
Section "Uninstall"
  Delete "$INSTDIR\PLOTXFER.exe"
  Delete "$INSTDIR\plotxfer-batch.exe"
  Delete "$INSTDIR\PLOTXFER.html"
  ; What the program itself leaves in the drafting system's RSTKIT: the run lock, the combined
  ; run's list file and its numbered CSD files. The rest of RSTKIT is the drafting system's, as is
  ; vxcsd.cprm, which stays as the program last wrote it.
  Delete "$INSTDIR\RSTKIT\PLOTXFER.LCK"
  Delete "$INSTDIR\RSTKIT\PDFCONTINU.p2"
  Delete "$INSTDIR\RSTKIT\VXTMPPDF*.CSD"
  SetShellVarContext all
  Delete "${MENU_FOLDER}\${DISPLAY_NAME}.lnk"
  Delete "${MENU_FOLDER}\${DISPLAY_NAME} Help.lnk"
  Delete "${MENU_FOLDER}\${DISPLAY_NAME} ヘルプ.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Last, so that its absence tells that everything else is done.
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Removed only when empty: a folder the installer itself created for the converter.
  RMDir "$INSTDIR"
SectionEnd
