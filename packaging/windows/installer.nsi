; The Windows installer: for the current user, without elevation, into
; %LOCALAPPDATA%\Programs\Tavrel, with pages in Simplified Chinese; /S installs
; and uninstalls silently. CMake (packaging/windows) builds it with
;   makensis -INPUTCHARSET UTF8 -DPRODUCT_NSH=<generated product.nsh> installer.nsi
; where product.nsh names the product, its version, its maker, the folder of
; the files to install and the output.
Unicode true
!include /CHARSET=UTF8 "${PRODUCT_NSH}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrel"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
; What sorvan.exe registers on every start, in the user's classes.
!define FILE_TYPE_ID "SORVANProgrammer.File"
!define FILE_TYPE_KEY "Software\Classes\${FILE_TYPE_ID}"
!define EXTENSION_KEY "Software\Classes\.p6k"
; Explorer's "添加到 Tavrel文件加密" on every file and on folders.
!define ADD_VERB "TavrelSorvan.Add"
!define FILES_VERB_KEY "Software\Classes\*\shell\${ADD_VERB}"
!define FOLDERS_VERB_KEY "Software\Classes\Directory\shell\${ADD_VERB}"

Name "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tavrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"

!define MUI_ICON "${PRODUCT_ICON}"
!define MUI_UNICON "${PRODUCT_ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\sorvan.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; The installer's own version resource.
VIProductVersion "${PRODUCT_VERSION}.0"
VIFileVersion "${PRODUCT_VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${PRODUCT_VERSION}"

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/sorvan.exe"
  File "${STAGE}/p6k.exe"
  File "${STAGE}/default1.htm"
  File "${STAGE}/使用说明.txt"
  File "${STAGE}/更新说明.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\sorvan.exe"
  Call WriteUninstallEntry
  Call WriteAddVerb
SectionEnd

; Each selected item starts one "sorvan.exe /add"; the program gathers them in
; one window. "Player" offers the verb for a selection of any size, where
; Explorer's default hides it beyond 15 items.
!macro WRITE_ADD_VERB KEY
  WriteRegStr HKCU "${KEY}" "" "添加到 ${PRODUCT_NAME}"
  WriteRegStr HKCU "${KEY}" "Icon" "$INSTDIR\sorvan.exe,0"
  WriteRegStr HKCU "${KEY}" "MultiSelectModel" "Player"
  WriteRegStr HKCU "${KEY}\command" "" '"$INSTDIR\sorvan.exe" /add "%1"'
!macroend

Function WriteAddVerb
  !insertmacro WRITE_ADD_VERB "${FILES_VERB_KEY}"
  !insertmacro WRITE_ADD_VERB "${FOLDERS_VERB_KEY}"
FunctionEnd

Function WriteUninstallEntry
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sorvan.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE_URL}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
FunctionEnd

;------------------------------------------------------------------------------
; The ".p6k" file type, written at install as sorvan.exe writes it on every
; start, so a container opens with a double-click right after a silent install
; or a finish page whose "运行" was unticked. The uninstaller's
; un.ForgetFileTypeIfOurs below takes it away again.
;------------------------------------------------------------------------------
Section "-FileType"
  Call RegisterFileType
SectionEnd

; The keys and values of the program's own registration (app/shell_registration.cpp):
; the type with its icon and commands for the program's short path, and
; ".p6k" only when no other program owns it, in the user's classes or the
; machine's.
Function RegisterFileType
  GetFullPathName /SHORT $0 "$INSTDIR\sorvan.exe"
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR\sorvan.exe"
  ${EndIf}
  WriteRegStr HKCU "${FILE_TYPE_KEY}" "" "${FILE_TYPE_ID}"
  WriteRegStr HKCU "${FILE_TYPE_KEY}\DefaultIcon" "" "$0,1"
  WriteRegStr HKCU "${FILE_TYPE_KEY}\shell\open\command" "" '$0 "%1"'
  WriteRegStr HKCU "${FILE_TYPE_KEY}\shell\print\command" "" '$0 /p "%1"'
  WriteRegStr HKCU "${FILE_TYPE_KEY}\shell\printto\command" "" '$0 /pt "%1" "%2" "%3" "%4"'
  ReadRegStr $1 HKCU "${EXTENSION_KEY}" ""
  ReadRegStr $2 HKLM "Software\Classes\.p6k" ""
  StrCpy $3 1
  ${If} $1 != ""
  ${AndIf} $1 != "${FILE_TYPE_ID}"
    StrCpy $3 0
  ${EndIf}
  ${If} $2 != ""
  ${AndIf} $2 != "${FILE_TYPE_ID}"
    StrCpy $3 0
  ${EndIf}
  ${If} $3 == 1
    WriteRegStr HKCU "${EXTENSION_KEY}" "" "${FILE_TYPE_ID}"
    WriteRegStr HKCU "${EXTENSION_KEY}\ShellNew" "NullFile" ""
  ${EndIf}
  ; SHCNE_ASSOCCHANGED: Explorer shows the type's icon and command at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd
;------------------------------------------------------------------------------

Section "Uninstall"
  SetShellVarContext current
  ; Before the files go: the program's short path is read from the disk.
  Call un.ForgetFileTypeIfOurs
  Push "${FILES_VERB_KEY}"
  Call un.ForgetVerbIfOurs
  Push "${FOLDERS_VERB_KEY}"
  Call un.ForgetVerbIfOurs
  Delete "$INSTDIR\sorvan.exe"
  Delete "$INSTDIR\p6k.exe"
  Delete "$INSTDIR\default1.htm"
  Delete "$INSTDIR\使用说明.txt"
  Delete "$INSTDIR\更新说明.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: whatever the user put there stays.
  RMDir "$INSTDIR"
  Call un.ForgetEntryIfOurs
SectionEnd

; The entry and the shortcut belong to the installation the entry names; an
; uninstaller run again later, or from a copy, leaves a newer one alone.
Function un.ForgetEntryIfOurs
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
FunctionEnd

; sorvan.exe writes its file type on every start and takes ".p6k" only when no
; other program owns it. Both go when the type opens files with this
; installation's sorvan.exe; a type that another copy of the program wrote
; last, and another program's ".p6k", stay.
Function un.ForgetFileTypeIfOurs
  ReadRegStr $0 HKCU "${FILE_TYPE_KEY}\shell\open\command" ""
  Call un.OpensWithThisInstallation
  ${If} $1 != 1
    Return
  ${EndIf}
  ReadRegStr $2 HKCU "${EXTENSION_KEY}" ""
  ${If} $2 == "${FILE_TYPE_ID}"
    DeleteRegKey HKCU "${EXTENSION_KEY}"
  ${EndIf}
  DeleteRegKey HKCU "${FILE_TYPE_KEY}"
  ; SHCNE_ASSOCCHANGED: Explorer forgets the type's icon and command.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd

; The verb key on the stack goes when its command starts this installation's
; sorvan.exe; another program's verb of the same name, or another copy's,
; stays.
Function un.ForgetVerbIfOurs
  Exch $R5
  ReadRegStr $0 HKCU "$R5\command" ""
  Call un.OpensWithThisInstallation
  ${If} $1 == 1
    DeleteRegKey HKCU "$R5"
  ${EndIf}
  Pop $R5
FunctionEnd

; $1 = 1 when the command $0 starts with this installation's sorvan.exe, by
; its short path (what the program writes) or its long one, bare or quoted.
Function un.OpensWithThisInstallation
  StrCpy $1 0
  StrCpy $R0 "$INSTDIR\sorvan.exe"
  Call un.CommandStartsWith
  ${If} $1 != 1
    Call un.ShortForm
    Call un.CommandStartsWith
  ${EndIf}
FunctionEnd

; $1 = 1 when the command $0 starts with the program $R0, bare and followed by
; a blank or its end, or in quotes.
Function un.CommandStartsWith
  StrLen $R1 $R0
  StrCpy $R2 $0 $R1
  StrCpy $R3 $0 1 $R1
  ${If} $R2 == $R0
  ${AndIf} $R3 == " "
    StrCpy $1 1
  ${ElseIf} $0 == $R0
    StrCpy $1 1
  ${EndIf}
  StrCpy $R2 '"$R0"'
  StrLen $R1 $R2
  StrCpy $R3 $0 $R1
  ${If} $R3 == $R2
    StrCpy $1 1
  ${EndIf}
FunctionEnd

; $R0 in its short form. When its end no longer exists (files deleted by
; hand), the part that still exists is shortened and the rest kept as it is,
; which is its short form whenever those names fit 8.3, as "Tavrel" and
; "sorvan.exe" do.
Function un.ShortForm
  StrCpy $R1 $R0
  StrCpy $R2 ""
  ${Do}
    ${If} ${FileExists} $R1
      GetFullPathName /SHORT $R3 $R1
      ${If} $R3 != ""
        StrCpy $R0 "$R3$R2"
      ${EndIf}
      Return
    ${EndIf}
    ${GetFileName} $R1 $R3
    StrCpy $R2 "\$R3$R2"
    ${GetParent} $R1 $R1
  ${LoopUntil} $R1 == ""
FunctionEnd
