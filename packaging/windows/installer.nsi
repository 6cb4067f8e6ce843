; The kavinto installer, for every user or for one (NSIS's multi-user pages
; and its switches /AllUsers and /CurrentUser). The programs go to the
; program folder; the catalogue, the school's data, to a folder of its own
; (/CATALOGUE=path when silent), where the sample goes only if there is no
; catalogue yet, and which nothing here ever overwrites or removes.
; Built by the windows_packages target, which passes VERSION, STAGE (the
; programs, the prompt script and the sample catalogue), ICON and OUTFILE.
Unicode true
Target amd64-unicode  ; the programs are 64-bit, and so is the installer

!define PRODUCT "VELOR! Tarmeni"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kavinto"
!define TOOL_SHORTCUT "${PRODUCT} katalóguseszköz"

; An administrator, or SYSTEM as deployment tools run it, installs for every
; user unless /CurrentUser says otherwise; anyone else for himself. An
; earlier per-user install (0.1.0 was one) is upgraded where it is.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "kavinto"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION ChooseCatalogueFolder
!define MULTIUSER_NOUNINSTALL  ; the uninstaller finds its mode in the registry
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE \
  "A(z) ${PRODUCT} minden felhasználó számára csak rendszergazdai jogokkal telepíthető."
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1038 "ProductName" "kavinto"
VIAddVersionKey /LANG=1038 "FileDescription" "${PRODUCT} telepítő"
VIAddVersionKey /LANG=1038 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "LegalCopyright" "2026 The kavinto maintainers"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var CatalogueDir     ; the catalogue folder: the shortcut's working folder
Var CatalogueOption  ; /CATALOGUE= when given
Var InstDirOption    ; /D= when given: the install mode's default must not replace it

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "A katalógus mappája"
!define MUI_PAGE_HEADER_SUBTEXT "Hol legyenek a módszerek adatai és dokumentumai?"
!define MUI_DIRECTORYPAGE_TEXT_TOP \
  "A program ebből a mappából olvassa a katalógust (data) és a dokumentumokat (pdf). Ha a mappában már van katalógus, az változatlan marad; ha nincs, a mintakatalógus kerül bele. A mappát az eltávolítás sem törli."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "A katalógus mappája"
!define MUI_DIRECTORYPAGE_VARIABLE $CatalogueDir
!define MUI_PAGE_CUSTOMFUNCTION_SHOW HideSpaceTexts
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "A(z) ${PRODUCT} indítása most"
!define MUI_FINISHPAGE_RUN_FUNCTION StartNow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "A(z) ${PRODUCT} eltávolítása befejeződött"
!define MUI_FINISHPAGE_TEXT \
  "A program lekerült a számítógépről. A katalógus, az iskola adatai, megmaradt ebben a mappában:$\r$\n$\r$\n$CatalogueDir"
!insertmacro MUI_UNPAGE_FINISH

; The install mode page's texts, which NSIS's Hungarian language file lacks.
!define MULTIUSER_TEXT_INSTALLMODE_TITLE "Felhasználók"
!define MULTIUSER_TEXT_INSTALLMODE_SUBTITLE "Kinek a számára települjön a(z) $(^NameDA)?"
!define MULTIUSER_INNERTEXT_INSTALLMODE_TOP \
  "Válassza ki, hogy a(z) $(^NameDA) csak az Ön számára vagy a számítógép minden felhasználója számára települjön. $(^ClickNext)"
!define MULTIUSER_INNERTEXT_INSTALLMODE_ALLUSERS "Telepítés a számítógép minden felhasználójának"
!define MULTIUSER_INNERTEXT_INSTALLMODE_CURRENTUSER "Telepítés csak nekem"
!insertmacro MUI_LANGUAGE "Hungarian"

; Asks for the program found running in folder $0 to be closed. A running
; program's file cannot be opened for writing; silently, the install stops.
!macro CLOSE_RUNNING_PROGRAM PREFIX
Function ${PREFIX}CloseRunningProgram
  check:
  IfFileExists "$0\kavinto.exe" 0 done
  ClearErrors
  FileOpen $1 "$0\kavinto.exe" a
  IfErrors running
  FileClose $1
  Goto done
  running:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "A(z) ${PRODUCT} fut ($0\kavinto.exe). Zárja be a programot, majd válassza az Újra gombot." \
    /SD IDCANCEL IDRETRY check
  DetailPrint "A(z) ${PRODUCT} fut: $0\kavinto.exe"
  Abort "A(z) ${PRODUCT} fut, ezért nem módosítható."
  done:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CATALOGUE=" $CatalogueOption
  StrCpy $InstDirOption $INSTDIR
  !insertmacro MULTIUSER_INIT
FunctionEnd

; Called whenever the install mode is set: the folders' defaults.
Function ChooseCatalogueFolder
  ${If} $InstDirOption != ""
    StrCpy $INSTDIR $InstDirOption
  ${EndIf}
  ${If} $CatalogueOption != ""
    StrCpy $CatalogueDir $CatalogueOption
    Return
  ${EndIf}
  ReadRegStr $CatalogueDir SHCTX "${UNINSTALL_KEY}" "CatalogueFolder"
  ${If} $CatalogueDir != ""
    Return
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\sample\data\*.cds"
    StrCpy $CatalogueDir "$INSTDIR\sample"  ; 0.1.0 kept it beside the program
  ${ElseIf} $MultiUser.InstallMode == "AllUsers"
    StrCpy $CatalogueDir "$APPDATA\kavinto\katalogus"  ; %ProgramData% in this context
  ${Else}
    StrCpy $CatalogueDir "$LOCALAPPDATA\kavinto\katalogus"
  ${EndIf}
FunctionEnd

; The catalogue folder's page: the program's space needs are not its own.
Function HideSpaceTexts
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1023
  ShowWindow $1 ${SW_HIDE}
  GetDlgItem $1 $0 1024
  ShowWindow $1 ${SW_HIDE}
FunctionEnd

Function StartNow
  SetOutPath "$CatalogueDir"
  Exec '"$INSTDIR\kavinto.exe"'
FunctionEnd

Section "kavinto"
  ReadRegStr $R0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $0 "$INSTDIR"
  Call CloseRunningProgram
  ${If} $R0 != ""
  ${AndIf} $R0 != "$INSTDIR"
    StrCpy $0 $R0
    Call CloseRunningProgram
    ; The program moves: its old copy goes, never run (0.1.0's uninstaller
    ; deleted the documents), and whatever catalogue stands beside it stays.
    Delete "$R0\kavinto.exe"
    Delete "$R0\kavinto-catalogue.exe"
    Delete "$R0\kavinto-parancssor.cmd"
    Delete "$R0\uninstall.exe"
    RMDir "$R0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}/kavinto.exe"
  File "${STAGE}/kavinto-catalogue.exe"
  File "${STAGE}/kavinto-parancssor.cmd"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${IfNot} ${FileExists} "$CatalogueDir\data\kavinto_modszerek.cds"
  ${AndIfNot} ${FileExists} "$CatalogueDir\data\kavinto_funkciok.cds"
    SetOverwrite off  ; a document of the school's own keeps its name
    SetOutPath "$CatalogueDir\data"
    File "${STAGE}/data/*.cds"
    SetOutPath "$CatalogueDir\pdf"
    File "${STAGE}/pdf/*.pdf"
    SetOverwrite on
  ${EndIf}

  ; Both shortcuts start in the catalogue folder (their working folder).
  CreateDirectory "$CatalogueDir"
  SetOutPath "$CatalogueDir"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kavinto.exe" "" "$INSTDIR\kavinto.exe" 0
  CreateShortCut "$SMPROGRAMS\${TOOL_SHORTCUT}.lnk" "$SYSDIR\cmd.exe" \
    '/k ""$INSTDIR\kavinto-parancssor.cmd""' "$INSTDIR\kavinto-catalogue.exe" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "kavinto"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kavinto.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "CatalogueFolder" "$CatalogueDir"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

; The uninstaller serves the install whose registry entry names its folder.
Function un.onInit
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == "$INSTDIR"
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP \
        "A(z) ${PRODUCT} minden felhasználó számára van telepítve; csak rendszergazda távolíthatja el." \
        /SD IDOK
      SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ReadRegStr $CatalogueDir SHCTX "${UNINSTALL_KEY}" "CatalogueFolder"
FunctionEnd

; Removes the program, its shortcuts and its registry entry; never the catalogue.
Section "Uninstall"
  StrCpy $0 "$INSTDIR"
  Call un.CloseRunningProgram
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${TOOL_SHORTCUT}.lnk"
  Delete "$INSTDIR\kavinto.exe"
  Delete "$INSTDIR\kavinto-catalogue.exe"
  Delete "$INSTDIR\kavinto-parancssor.cmd"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
