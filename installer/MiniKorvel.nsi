; The installer of Lumivar迷你版: a per-user installation without administrator rights.
;
; Built by installer/package.py, which writes the build's settings to an include file and
; passes its path as MK_CONFIG. That file defines:
;   MK_TARGET         x86-unicode (the shipped installer) or amd64-unicode (the test build)
;   MK_OUTFILE        the installer to write
;   MK_STAGE          the folder laid out as installed: bin/MiniKorvel.exe, Res/*.html
;   MK_ICON           the program's icon file
;   MK_VERSION        the program's version, e.g. 1.0.0, and MK_VERSION4, e.g. 1.0.0.0
;   MK_WINDOW_CLASS   the running program's main window class: the portal base address the
;                     program was built with, followed by "/"
;   MK_PRODUCT_NAME, MK_COMPANY_NAME, MK_RIGHTS_NOTICE   from src/app/product_info.h
;
; Layout under the install folder (default $LOCALAPPDATA\Programs\MiniKorvel):
;   bin\MiniKorvel.exe, Res\loading.html, Res\error.html, Uninstall.exe
; plus a Start menu shortcut, an optional desktop shortcut and the uninstall entry under
; HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MiniKorvel.
;
; Exit codes: 0 done; 1 cancelled by the user; 2 stopped by an error; 3 (silent mode only) the
; program is running and was left running.

!include "${MK_CONFIG}"

Unicode true
Target "${MK_TARGET}"
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MK_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MiniKorvel"
!define MK_EXE "bin\MiniKorvel.exe"
!define MK_UNINSTALLER "Uninstall.exe"
!define MK_SHORTCUT "${MK_PRODUCT_NAME}.lnk"
; The uninstall entry's own record of whether the desktop shortcut was made, so that the
; uninstaller removes only what this installation made.
!define MK_DESKTOP_VALUE "MiniKorvelDesktopShortcut"
!define MK_RUNNING_EXIT_CODE 3

Name "${MK_PRODUCT_NAME}"
OutFile "${MK_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\MiniKorvel"
; An earlier installation's folder wins over the default.
InstallDirRegKey HKCU "${MK_UNINSTALL_KEY}" "InstallLocation"
BrandingText "${MK_PRODUCT_NAME} ${MK_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${MK_ICON}"
!define MUI_UNICON "${MK_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MK_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "启动 ${MK_PRODUCT_NAME}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${MK_VERSION4}"
VIFileVersion "${MK_VERSION4}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${MK_PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${MK_COMPANY_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${MK_RIGHTS_NOTICE}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${MK_PRODUCT_NAME} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${MK_VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${MK_VERSION}"

; Waits until no main window of the program is left: the user is asked to quit it and to
; retry, or to cancel. The program is never ended from here. Silent mode cannot ask, so it
; gives up at once with MK_RUNNING_EXIT_CODE. Defined once for the installer and once for the
; uninstaller (PREFIX "un."), since neither can call the other's functions.
!macro MK_WAIT_UNTIL_NOT_RUNNING PREFIX
  Function ${PREFIX}WaitUntilNotRunning
    Push $0
    Push $1
    ${Do}
      ; A program that is already quitting is given three seconds before the user is asked.
      StrCpy $1 0
      ${Do}
        FindWindow $0 "${MK_WINDOW_CLASS}"
        ${If} $0 = 0
        ${OrIf} $1 >= 30
          ${Break}
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 1
      ${Loop}
      ${If} $0 = 0
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${MK_PRODUCT_NAME} 正在运行。$\r$\n$\r$\n请在通知区域图标的菜单中选择“退出”，然后点击“重试”。" \
        /SD IDCANCEL IDRETRY retry
      ${If} ${Silent}
        SetErrorLevel ${MK_RUNNING_EXIT_CODE}
      ${Else}
        SetErrorLevel 1
      ${EndIf}
      Quit
      retry:
    ${Loop}
    ; The window goes a moment before the process ends, and Windows refuses to write a program
    ; file while it runs: wait up to five seconds for the file to take writing.
    StrCpy $1 0
    ${DoWhile} ${FileExists} "$INSTDIR\${MK_EXE}"
      ClearErrors
      FileOpen $0 "$INSTDIR\${MK_EXE}" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      ${If} $1 >= 50
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $1 $1 + 1
    ${Loop}
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro MK_WAIT_UNTIL_NOT_RUNNING ""
!insertmacro MK_WAIT_UNTIL_NOT_RUNNING "un."

Function .onInit
  Call WaitUntilNotRunning
FunctionEnd

Section "${MK_PRODUCT_NAME}" SecProgram
  SectionIn RO
  ; The program may have been started while the wizard was open.
  Call WaitUntilNotRunning

  SetOutPath "$INSTDIR\bin"
  File "${MK_STAGE}/bin/MiniKorvel.exe"
  SetOutPath "$INSTDIR\Res"
  File "${MK_STAGE}/Res/loading.html"
  File "${MK_STAGE}/Res/error.html"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${MK_UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${MK_SHORTCUT}" "$INSTDIR\${MK_EXE}" "" "$INSTDIR\${MK_EXE}" 0

  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "DisplayName" "${MK_PRODUCT_NAME}"
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "DisplayVersion" "${MK_VERSION}"
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "Publisher" "${MK_COMPANY_NAME}"
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MK_EXE},0"
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${MK_UNINSTALLER}"'
  WriteRegStr HKCU "${MK_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${MK_UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${MK_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${MK_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "桌面快捷方式" SecDesktop
  CreateShortcut "$DESKTOP\${MK_SHORTCUT}" "$INSTDIR\${MK_EXE}" "" "$INSTDIR\${MK_EXE}" 0
  WriteRegDWORD HKCU "${MK_UNINSTALL_KEY}" "${MK_DESKTOP_VALUE}" 1
SectionEnd

Section "-Finish"
  ; An earlier installation's desktop shortcut goes when this one declines it.
  ${IfNot} ${SectionIsSelected} ${SecDesktop}
    ReadRegDWORD $0 HKCU "${MK_UNINSTALL_KEY}" "${MK_DESKTOP_VALUE}"
    ${If} $0 = 1
      Delete "$DESKTOP\${MK_SHORTCUT}"
    ${EndIf}
    DeleteRegValue HKCU "${MK_UNINSTALL_KEY}" "${MK_DESKTOP_VALUE}"
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${MK_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  Call un.WaitUntilNotRunning
FunctionEnd

Section "Uninstall"
  Call un.WaitUntilNotRunning

  Delete "$INSTDIR\${MK_EXE}"
  Delete "$INSTDIR\Res\loading.html"
  Delete "$INSTDIR\Res\error.html"
  Delete "$INSTDIR\${MK_UNINSTALLER}"
  ; Only folders left empty go: anything else the user put there stays.
  RMDir "$INSTDIR\bin"
  RMDir "$INSTDIR\Res"
  RMDir "$INSTDIR"

  ; The shortcuts and the entry belong to the registered installation: an older copy in
  ; another folder takes only its own files.
  ReadRegStr $0 HKCU "${MK_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "$SMPROGRAMS\${MK_SHORTCUT}"
    ReadRegDWORD $1 HKCU "${MK_UNINSTALL_KEY}" "${MK_DESKTOP_VALUE}"
    ${If} $1 = 1
      Delete "$DESKTOP\${MK_SHORTCUT}"
    ${EndIf}
    DeleteRegKey HKCU "${MK_UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
