; The PLOTXFER installer. The converter must live in the drafting system's program folder (it finds
; VXCVPX.exe, RSTKIT\ and VELLUMIX.SYS beside itself), so the folder offered is the one the bundled
; VxSetup.dll reports; the drafting system's own files are never written or removed.
;
; Built by packaging/CMakeLists.txt:
;   makensis -INPUTCHARSET UTF8 -DVERSION=9.0.0 -DVERSION_QUAD=9.0.0.0 -DTARGET=x86-unicode
;            -DPROGRAM=... -DBATCH=... -DHELP=... -DVXSETUP=... -DOUTFILE=... plotxfer.nsi
; TARGET and VXSETUP go together: the x86 installer loads the 32-bit library, an amd64 one the
; 64-bit library.
;
; Silent use: setup.exe /S [/D=folder]. Without /D the drafting system's folder is taken; where
; there is none, a silent install ends with exit code 2 and writes nothing.

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

!define PRODUCT "PLOTXFER"
!define PUBLISHER "MORVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PLOTXFER"
!define UNINSTALLER "PLOTXFER-uninstall.exe"
!define MENU_FOLDER "$SMPROGRAMS\PLOTXFER"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
; Empty on purpose: the drafting system's folder, /D=, or the user's choice fills it.
InstallDir ""
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
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
LangString ShortcutName ${LANG_ENGLISH} "PLOTXFER"
LangString ShortcutName ${LANG_JAPANESE} "PLOTXFER"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
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

Function .onInit
  !insertmacro UseMachineView
  ${If} $INSTDIR == ""
    ; The library reads HKEY_USERS\.DEFAULT\Software\Morva\Vellumix ExePath in the ANSI code page
    ; (type m); ?u unloads it again so that the plug-in folder can be removed at the end.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\VxSetup.dll" "${VXSETUP}"
    System::Call "$PLUGINSDIR\VxSetup::GetDefaultInstallPath(m .r0) i .r1 ?u"
    ${If} $1 == 1
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
  ${If} ${Silent}
  ${AndIf} $INSTDIR == ""
    MessageBox MB_OK|MB_ICONSTOP "$(NoFolderSilent)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; Asked before anything is written; a silent install goes where it was told.
Function DirectoryLeave
  ${IfNot} ${FileExists} "$INSTDIR\VXCVPX.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(NoDraftingSystem)" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "PLOTXFER" SectionProgram
  SectionIn RO
  ${IfNot} ${FileExists} "$INSTDIR\VXCVPX.exe"
    DetailPrint "VXCVPX.exe: not in $INSTDIR"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Only the converter's own files; whatever else the folder holds belongs to the drafting system.
  File "/oname=PLOTXFER.exe" "${PROGRAM}"
  File "/oname=plotxfer-batch.exe" "${BATCH}"
  File "/oname=PLOTXFER.html" "${HELP}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\$(ShortcutName).lnk" "$INSTDIR\PLOTXFER.exe" "" \
    "$INSTDIR\PLOTXFER.exe" 0 SW_SHOWNORMAL "" "${PRODUCT} ${VERSION}"

  SectionGetSize ${SectionProgram} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
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
FunctionEnd

; Exactly what the installer wrote. The folder is the drafting system's and stays; the user's
; settings under HKEY_CURRENT_USER\SOFTWARE\MORVA\PLOTXFER stay too.
Section "Uninstall"
  Delete "$INSTDIR\PLOTXFER.exe"
  Delete "$INSTDIR\plotxfer-batch.exe"
  Delete "$INSTDIR\PLOTXFER.html"
  SetShellVarContext all
  Delete "${MENU_FOLDER}\$(ShortcutName).lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Last, so that its absence tells that everything else is done.
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Removed only when empty: a folder the installer itself created for the converter.
  RMDir "$INSTDIR"
SectionEnd
