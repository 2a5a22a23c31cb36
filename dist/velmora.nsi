; Velmora's setup program. makensis is given, with -D:
;   VERSION   the version, e.g. 4.6
;   WEBSITE   the program's web site, for Add/Remove Programs
;   STAGE     the folder holding velmora.exe and velmo.chm as they are to be installed
;   EXE_SIZE, CHM_SIZE  their sizes in bytes, to check the copies against
;   SRCDIR    the source tree (icon, pictures)
;   OUTFILE   the setup program to write
; The ANSI stub keeps the installer and its uninstaller loadable on Windows 95 and NT 4.0.
;
; The setup either installs completely or leaves the machine as it found it: the folder is
; checked before anything is written, every file is checked after it is written, and a failure
; takes back what this run wrote (files, folders, shortcuts, the Add/Remove Programs entry), puts
; back the files of an installed copy it was replacing and ends with an exit code:
;   2  Velmora is running and did not close
;   3  the folder cannot be used (its name, or it cannot be written)
;   4  a file, shortcut or the entry could not be written
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running copy's hidden application window: its class and the application title.
!define APP_CLASS "TApplication"
!define APP_TITLE "Velmora"
; Paths have at most 259 characters. The longest name the setup writes in the folder is
; "\uninstall.exe" (14), and its backups keep the names' lengths.
!define MAX_FOLDER 245
; Message boxes break a path into lines of this many characters at most, so that no box grows
; wider than the screen.
!define PATH_LINE 60

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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Velmora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVelmora
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; What this run found and did, for taking it back.
Var FirstNewFolder   ; the top-most folder of $INSTDIR that did not exist, or ""
Var MenuExisted      ; the Start menu folder was there already
Var EntryExisted     ; so was the Add/Remove Programs entry
Var Phase            ; "" before the files are touched, "backup" while the installed copy's go
                     ; aside, "files" from then on

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

; $R1 := the path in $R0, broken into lines of at most PATH_LINE characters, after a backslash
; where there is one in the second half of a line.
Function WrapPath
  StrCpy $R1 ""
  StrCpy $R2 $R0
  ${Do}
    StrLen $R3 $R2
    ${If} $R3 <= ${PATH_LINE}
      StrCpy $R1 "$R1$R2"
      ${ExitDo}
    ${EndIf}
    StrCpy $R3 ${PATH_LINE}
    ${Do}
      IntOp $R3 $R3 - 1
      ${If} $R3 < 30
        StrCpy $R3 ${PATH_LINE}
        ${ExitDo}
      ${EndIf}
      StrCpy $R4 $R2 1 $R3
      ${If} $R4 == "\"
        IntOp $R3 $R3 + 1
        ${ExitDo}
      ${EndIf}
    ${Loop}
    StrCpy $R4 $R2 $R3
    StrCpy $R1 "$R1$R4$\r$\n"
    StrCpy $R2 $R2 "" $R3
  ${Loop}
FunctionEnd

; $R0 := the folder above the one in $R0 ("" above a root).
Function ParentFolder
  StrLen $R1 $R0
  ${Do}
    IntOp $R1 $R1 - 1
    ${If} $R1 < 0
      StrCpy $R0 ""
      Return
    ${EndIf}
    StrCpy $R2 $R0 1 $R1
    ${If} $R2 == "\"
      ${ExitDo}
    ${EndIf}
  ${Loop}
  StrCpy $R0 $R0 $R1
  ; A drive's root keeps its backslash; a share's root ("\\server") is no folder.
  StrLen $R1 $R0
  ${If} $R1 = 2
    StrCpy $R0 "$R0\"
  ${EndIf}
FunctionEnd

; $R5 := the top-most folder of $INSTDIR that does not exist yet ("" when $INSTDIR exists).
Function FindFirstNewFolder
  StrCpy $R5 ""
  StrCpy $R0 $INSTDIR
  ${Do}
    ${If} $R0 == ""
    ${OrIf} ${FileExists} "$R0\*.*"
      ${ExitDo}
    ${EndIf}
    StrCpy $R5 $R0
    Call ParentFolder
  ${Loop}
FunctionEnd

; Removes the empty folders from $INSTDIR up to $R5 (what FindFirstNewFolder found): what a run
; created and left empty. Whatever the user put there stays.
Function RemoveNewFolders
  ${If} $R5 == ""
    Return
  ${EndIf}
  StrCpy $R0 $INSTDIR
  ${Do}
    RMDir $R0
    ${If} $R0 == $R5
    ${OrIf} $R0 == ""
      ${ExitDo}
    ${EndIf}
    Call ParentFolder
  ${Loop}
FunctionEnd

; $R6 := the folder asked for on the command line (/D=, the last option, unquoted), or "". The
; setup cuts it off $CMDLINE and drops characters it does not allow, or takes its default
; folder instead: the system's copy of the command line says what was asked.
Function CommandLineFolder
  StrCpy $R6 ""
  System::Call 'kernel32::GetCommandLineA()t.r3'
  StrLen $0 $3
  StrCpy $1 0
  ${DoWhile} $1 < $0
    StrCpy $2 $3 4 $1
    ${If} $2 S== " /D="
      IntOp $1 $1 + 4
      StrCpy $R6 $3 "" $1
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $2 $R6 1 -1
  ${If} $2 == "\"
    StrCpy $R6 $R6 -1
  ${EndIf}
FunctionEnd

; $R9 := "" when $INSTDIR can take Velmora, else what is wrong, for a message box. Writes a
; probe file to know, and leaves nothing behind.
Function CheckInstallFolder
  StrCpy $R9 ""
  ; A folder on the command line that the setup itself refused leaves the default in $INSTDIR: a
  ; silent setup must not put Velmora anywhere else than asked.
  ${If} ${Silent}
    Call CommandLineFolder
    ${If} $R6 != ""
    ${AndIf} $R6 != $INSTDIR
      StrCpy $R0 $R6
      Call WrapPath
      StrCpy $R9 "This folder name cannot be used:$\r$\n$\r$\n$R1$\r$\n$\r$\nChoose another folder."
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $R0 $INSTDIR
  Call WrapPath
  StrLen $0 $INSTDIR
  ${If} $0 > ${MAX_FOLDER}
    StrCpy $R9 "The name of this folder is too long ($0 characters):$\r$\n$\r$\n$R1$\r$\n$\r$\nSetup needs room for the names of its files after it. Choose a folder with a name of at most ${MAX_FOLDER} characters."
    Return
  ${EndIf}
  ; A drive and a path, or a network share.
  StrCpy $1 $INSTDIR 2 1
  StrCpy $2 $INSTDIR 2
  ${If} $1 != ":\"
  ${AndIf} $2 != "\\"
    StrCpy $R9 "This is not the full name of a folder:$\r$\n$\r$\n$R1$\r$\n$\r$\nChoose a folder on a drive (such as C:\Program Files\Velmora) or a network share."
    Return
  ${EndIf}
  ; Characters that Windows does not allow in names; a colon only after the drive letter; no
  ; name that ends with a dot or a space (Windows would drop them and use another folder).
  StrCpy $3 0
  StrCpy $5 ""
  ${Do}
    StrCpy $4 $INSTDIR 1 $3
    ${If} $4 == ""
      ${ExitDo}
    ${EndIf}
    ${If} $4 == "<"
    ${OrIf} $4 == ">"
    ${OrIf} $4 == "$\""
    ${OrIf} $4 == "|"
    ${OrIf} $4 == "?"
    ${OrIf} $4 == "*"
    ${OrIf} $4 == "$\t"
    ${OrIf} $4 == "$\r"
    ${OrIf} $4 == "$\n"
      StrCpy $5 "bad"
    ${EndIf}
    ${If} $4 == ":"
    ${AndIf} $3 <> 1
      StrCpy $5 "bad"
    ${EndIf}
    ${If} $4 == "\"
    ${AndIf} $3 > 0
      IntOp $6 $3 - 1
      StrCpy $7 $INSTDIR 1 $6
      ${If} $7 == "."
      ${OrIf} $7 == " "
        StrCpy $5 "bad"
      ${EndIf}
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  StrCpy $7 $INSTDIR 1 -1
  ${If} $7 == "."
  ${OrIf} $7 == " "
    StrCpy $5 "bad"
  ${EndIf}
  ${If} $5 != ""
    StrCpy $R9 "This folder name cannot be used:$\r$\n$\r$\n$R1$\r$\n$\r$\nNames of folders may not contain any of the characters < > : $\" | ? * (a colon only after the drive letter), nor end with a dot or a space. Choose another folder."
    Return
  ${EndIf}
  ; Whether the folder can be made and written (testing the error flag clears it).
  Call FindFirstNewFolder
  ClearErrors
  CreateDirectory $INSTDIR
  ${IfNot} ${Errors}
    FileOpen $0 "$INSTDIR\velmora.tm~" w
    ${IfNot} ${Errors}
      FileWrite $0 "Velmora"
      FileClose $0
      Delete "$INSTDIR\velmora.tm~"
      ${IfNot} ${Errors}
        Call RemoveNewFolders
        Return
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $R9 "Setup cannot write to this folder:$\r$\n$\r$\n$R1$\r$\n$\r$\nChoose another folder, or run Setup as an administrator."
  Call RemoveNewFolders
FunctionEnd

; The directory page: a folder that cannot take Velmora is refused there, with the reason.
Function DirectoryLeave
  Call CheckInstallFolder
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION $R9
    Abort
  ${EndIf}
FunctionEnd

; Ends the setup as failed: .onInstFailed takes back what it wrote.
Function FailInstall
  ${If} $R8 == ""
    StrCpy $R8 4
  ${EndIf}
  SetErrorLevel $R8
  Abort
FunctionEnd

; $R3 := "" when $R0 holds $R2 bytes, else what is wrong with it.
Function CheckCopy
  StrCpy $R3 ""
  ClearErrors
  FileOpen $0 $R0 r
  ${If} ${Errors}
    StrCpy $R3 "it could not be written"
    Return
  ${EndIf}
  FileSeek $0 0 END $1
  FileClose $0
  ${If} $1 <> $R2
    StrCpy $R3 "it was written incompletely ($1 of $R2 bytes; is the disk full?)"
  ${EndIf}
FunctionEnd

; Says that a file could not be written and asks: Retry (another program may hold the file) or
; Cancel. $R4 := "retry" or "". Silent: cancels.
Function AskRetryFile
  StrCpy $R4 ""
  Call WrapPath
  MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Setup could not write this file, $R3:$\r$\n$\r$\n$R1$\r$\n$\r$\nClose any program that uses it and click Retry, or click Cancel to stop Setup (it then takes back what it has done)." /SD IDCANCEL IDCANCEL done
  StrCpy $R4 "retry"
done:
FunctionEnd

; Writes one file of the stage and checks the copy; on failure asks to retry or stops.
!macro INSTALL_FILE NAME SIZE
  !define ID ${__LINE__}
  write_${ID}:
  ClearErrors
  File "${STAGE}\${NAME}"
  StrCpy $R0 "$INSTDIR\${NAME}"
  StrCpy $R2 ${SIZE}
  ${If} ${Errors}
    StrCpy $R3 "it could not be written"
  ${Else}
    Call CheckCopy
  ${EndIf}
  ${If} $R3 != ""
    Call AskRetryFile
    StrCmp $R4 "retry" write_${ID}
    Call FailInstall
  ${EndIf}
  !undef ID
!macroend

; The files of an installed copy go aside (same folder, names of the same length) until the
; new ones are in; a failure puts them back.
!macro BACK_UP NAME BACKUP
  !define ID ${__LINE__}
  backup_${ID}:
  ${If} ${FileExists} "$INSTDIR\${NAME}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${NAME}\*.*"
    SetFileAttributes "$INSTDIR\${NAME}" NORMAL
    Delete "$INSTDIR\${BACKUP}"
    ClearErrors
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${BACKUP}"
    ${If} ${Errors}
      StrCpy $R0 "$INSTDIR\${NAME}"
      StrCpy $R3 "it is in use"
      Call AskRetryFile
      StrCmp $R4 "retry" backup_${ID}
      Call FailInstall
    ${EndIf}
  ${EndIf}
  !undef ID
!macroend

; After a failure: the replaced file back, or the new one gone where there was none.
!macro TAKE_BACK NAME BACKUP
  ${If} ${FileExists} "$INSTDIR\${BACKUP}"
    Delete "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${BACKUP}" "$INSTDIR\${NAME}"
  ${ElseIf} $Phase == "files"
    Delete "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

Section "Velmora" SecMain
  SectionIn RO
  StrCpy $R8 ""
  StrCpy $Phase ""
  ; The directory page checked the folder; a silent setup is checked here.
  Call CheckInstallFolder
  ${If} $R9 != ""
    DetailPrint "The folder cannot be used."
    MessageBox MB_OK|MB_ICONSTOP $R9 /SD IDOK
    StrCpy $R8 3
    Call FailInstall
  ${EndIf}
  Call FindFirstNewFolder
  StrCpy $FirstNewFolder $R5
  SetShellVarContext all
  StrCpy $MenuExisted ""
  ${If} ${FileExists} "$SMPROGRAMS\Velmora\*.*"
    StrCpy $MenuExisted "yes"
  ${EndIf}
  StrCpy $EntryExisted ""
  ClearErrors
  EnumRegValue $0 HKLM "${UNINST_KEY}" 0
  ${IfNot} ${Errors}
    StrCpy $EntryExisted "yes"
  ${EndIf}

  SetOutPath "$INSTDIR"
  Call CloseVelmora
  SetOverwrite try
  ; Backups that a setup cut short by a power failure may have left are no copy to go back to.
  Delete "$INSTDIR\velmora.ex~"
  Delete "$INSTDIR\velmo.ch~"
  Delete "$INSTDIR\uninstall.ex~"
  StrCpy $Phase "backup"
  !insertmacro BACK_UP "velmora.exe" "velmora.ex~"
  !insertmacro BACK_UP "velmo.chm" "velmo.ch~"
  !insertmacro BACK_UP "uninstall.exe" "uninstall.ex~"
  StrCpy $Phase "files"
  !insertmacro INSTALL_FILE "velmora.exe" ${EXE_SIZE}
  !insertmacro INSTALL_FILE "velmo.chm" ${CHM_SIZE}
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  StrCpy $R0 "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} $R0
    StrCpy $R3 "it could not be written"
    Call WrapPath
    MessageBox MB_OK|MB_ICONSTOP "Setup could not write its uninstaller:$\r$\n$\r$\n$R1" /SD IDOK
    Call FailInstall
  ${EndIf}

  ; The Start menu folder of all users (of the current user where the system has no such thing).
  ; The working folder of the shortcuts is the program's own, where it finds its help file.
  ClearErrors
  CreateDirectory "$SMPROGRAMS\Velmora"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0 \
      SW_SHOWNORMAL "" "Watches the processor load and the free memory"
  CreateShortcut "$SMPROGRAMS\Velmora\Velmora Help.lnk" "$INSTDIR\velmo.chm"
  CreateShortcut "$SMPROGRAMS\Velmora\Uninstall Velmora.lnk" "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    StrCpy $R0 "$SMPROGRAMS\Velmora"
    Call WrapPath
    MessageBox MB_OK|MB_ICONSTOP "Setup could not make the shortcuts of the Start menu in:$\r$\n$\r$\n$R1$\r$\n$\r$\nRun Setup as an administrator." /SD IDOK
    Call FailInstall
  ${EndIf}

  ClearErrors
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Velmora"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "URLInfoAbout" "${WEBSITE}"
  WriteRegStr HKLM "${UNINST_KEY}" "HelpLink" "${WEBSITE}"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; In kilobytes: the two files as built and the uninstaller as written, nothing else that may
  ; be in the folder.
  FileOpen $0 "$INSTDIR\uninstall.exe" r
  FileSeek $0 0 END $1
  FileClose $0
  IntOp $1 $1 + ${EXE_SIZE}
  IntOp $1 $1 + ${CHM_SIZE}
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $1
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup could not add Velmora to the list of installed programs.$\r$\n$\r$\nRun Setup as an administrator." /SD IDOK
    Call FailInstall
  ${EndIf}

  ; Installed: the replaced files are not needed any more.
  Delete "$INSTDIR\velmora.ex~"
  Delete "$INSTDIR\velmo.ch~"
  Delete "$INSTDIR\uninstall.ex~"
  StrCpy $Phase ""
SectionEnd

; A failed setup takes back what it wrote and puts back the copy it was replacing.
Function .onInstFailed
  ${If} $Phase != ""
    !insertmacro TAKE_BACK "velmora.exe" "velmora.ex~"
    !insertmacro TAKE_BACK "velmo.chm" "velmo.ch~"
    !insertmacro TAKE_BACK "uninstall.exe" "uninstall.ex~"
  ${EndIf}
  ${If} $EntryExisted == ""
    DeleteRegKey HKLM "${UNINST_KEY}"
  ${EndIf}
  SetShellVarContext all
  ${If} $MenuExisted == ""
    Delete "$SMPROGRAMS\Velmora\Velmora.lnk"
    Delete "$SMPROGRAMS\Velmora\Velmora Help.lnk"
    Delete "$SMPROGRAMS\Velmora\Uninstall Velmora.lnk"
    RMDir "$SMPROGRAMS\Velmora"
  ${EndIf}
  StrCpy $R5 $FirstNewFolder
  Call RemoveNewFolders
FunctionEnd

; The finish page's "Start Velmora". Setup runs with an administrator's rights (elevated on
; Windows Vista and later, or as the administrator whose password was given): the program is
; started by the desktop shell instead, as the signed-in user, with that user's rights and
; settings. Older systems have no such split and start it directly.
Function StartVelmora
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentVersion"
  ${If} $0 >= 6
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\velmora.exe"'
  ${Else}
    Exec '"$INSTDIR\velmora.exe"'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseVelmora
  ; The folder's short form, while it still exists: the logon entry may name the program by it.
  GetFullPathName /SHORT $3 "$INSTDIR"

  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmo.chm"
  ; The help viewer's own index of the help file, when it made one.
  Delete "$INSTDIR\velmo.chw"
  ; Backups that a setup cut short by a power failure may have left.
  Delete "$INSTDIR\velmora.ex~"
  Delete "$INSTDIR\velmo.ch~"
  Delete "$INSTDIR\uninstall.ex~"
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

  ; The settings go only on an explicit Yes: No, Esc, the close box and a silent run keep them.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Do you also want to remove your Velmora settings (window positions and the Optimization Wizard's choices)?" /SD IDNO IDYES remove_settings
  Goto settings_done
remove_settings:
  DeleteRegKey HKCU "Velmora"
settings_done:
SectionEnd
