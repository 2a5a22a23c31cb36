; Velmora's setup program. makensis is given, with -D:
;   VERSION   the version, e.g. 4.6
;   STAGE     the folder holding velmora.exe and velmo.chm as they are to be installed
;   SRCDIR    the source tree (icon, pictures)
;   OUTFILE   the setup program to write
; The ANSI stub keeps the installer and its uninstaller loadable on Windows 95 and NT 4.0.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running copy's hidden application window: its class and the application title.
!define APP_CLASS "TApplication"
!define APP_TITLE "Velmora"

Name "Velmora"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Velmora"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "Velmora ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Velmora"
VIAddVersionKey /LANG=1033 "CompanyName" "Velmora"
VIAddVersionKey /LANG=1033 "FileDescription" "Velmora Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Velmora"

!define MUI_ICON "${SRCDIR}\resources\velmora.ico"
!define MUI_UNICON "${SRCDIR}\resources\velmora.ico"
; The optimization wizard's side picture on its green, cut to the size these pages show:
;   convert resources/optwatermark.bmp -fill '#008000' -opaque '#FF00FF' -background '#008000' \
;     -gravity center -extent 164x314 -type Palette BMP3:dist/side.bmp
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SRCDIR}\dist\side.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This will install Velmora ${VERSION}, a small system utility that watches the processor load and the free memory from the notification area.$\r$\n$\r$\nIf Velmora is running, Setup closes it before replacing its files. Your settings are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Velmora"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks a running Velmora to close through its application window, which closes the main window,
; and waits until the program has ended and let go of its file. When it does not end, says so
; and stops: files of a running program cannot be replaced or removed.
!macro DEFINE_CLOSE_VELMORA UN
Function ${UN}CloseVelmora
  FindWindow $0 "${APP_CLASS}" "${APP_TITLE}"
  ${If} $0 <> 0
    DetailPrint "Closing Velmora..."
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ; Closing fades the window out and stores its placement: about half a second.
    StrCpy $1 0
    ${Do}
      FindWindow $0 "${APP_CLASS}" "${APP_TITLE}"
      ${If} $0 = 0
        ${ExitDo}
      ${EndIf}
      ${If} $1 >= 40
        Goto still_running
      ${EndIf}
      Sleep 250
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}
  ; Its windows may go a moment before the process lets go of velmora.exe. A read-only copy
  ; would look held for ever.
  ${If} ${FileExists} "$INSTDIR\velmora.exe"
    SetFileAttributes "$INSTDIR\velmora.exe" NORMAL
    StrCpy $1 0
    ${Do}
      ClearErrors
      FileOpen $2 "$INSTDIR\velmora.exe" a
      ${IfNot} ${Errors}
        FileClose $2
        ${ExitDo}
      ${EndIf}
      ${If} $1 >= 40
        Goto still_running
      ${EndIf}
      Sleep 250
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}
  Return
still_running:
  DetailPrint "Velmora is still running."
  MessageBox MB_OK|MB_ICONSTOP "Velmora is still running and did not close.$\r$\n$\r$\nClose Velmora (Shutdown Velmora in its tray menu), then run $(^Name) again." /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_VELMORA ""
!insertmacro DEFINE_CLOSE_VELMORA "un."

Section "Velmora" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call CloseVelmora
  SetOverwrite on
  File "${STAGE}\velmora.exe"
  File "${STAGE}\velmo.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Start menu folder of all users (of the current user where the system has no such thing).
  ; The working folder of the shortcuts is the program's own, where it finds its help file.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Velmora"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0 \
      SW_SHOWNORMAL "" "Watches the processor load and the free memory"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora Help.lnk" "$INSTDIR\velmo.chm"
  CreateShortcut "$SMPROGRAMS\Velmora\Uninstall Velmora.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Velmora"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Call un.CloseVelmora
  ; The folder's short form, while it still exists: the logon entry may name the program by it.
  GetFullPathName /SHORT $3 "$INSTDIR"

  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmo.chm"
  ; The help viewer's own index of the help file, when it made one.
  Delete "$INSTDIR\velmo.chw"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\Velmora\Velmora.lnk"
  Delete "$SMPROGRAMS\Velmora\Velmora Help.lnk"
  Delete "$SMPROGRAMS\Velmora\Uninstall Velmora.lnk"
  RMDir "$SMPROGRAMS\Velmora"

  DeleteRegKey HKLM "${UNINST_KEY}"

  ; The logon entry the optimization wizard writes: the program's file name, holding its path.
  ; Only when it starts this copy; another copy of the program may have registered itself.
  ReadRegStr $0 HKCU "${RUN_KEY}" "velmora.exe"
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\velmora.exe"
    ${OrIf} $0 == '"$INSTDIR\velmora.exe"'
    ${OrIf} $0 == "$3\velmora.exe"
      DeleteRegValue HKCU "${RUN_KEY}" "velmora.exe"
    ${EndIf}
  ${EndIf}

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Do you also want to remove your Velmora settings (window positions and the Optimization Wizard's choices)?" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "Velmora"
  keep_settings:
SectionEnd
