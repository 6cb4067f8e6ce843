; The installer of release 0.1.0, kept as it was for the upgrade test: per
; user, its catalogue in sample\ beside the program, an uninstaller that
; deletes sample\pdf\*.pdf. Built by tests/windows/e2e.sh from the same stage.
Unicode true
Target amd64-unicode  ; the programs are 64-bit, and so is the installer
!include "MUI2.nsh"

!define PRODUCT "VELOR! Tarmeni"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kavinto"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\kavinto"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1038 "ProductName" "kavinto"
VIAddVersionKey /LANG=1038 "FileDescription" "${PRODUCT} telepítő"
VIAddVersionKey /LANG=1038 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "LegalCopyright" "2026 The kavinto maintainers"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Hungarian"

Section "kavinto"
  SetOutPath "$INSTDIR"
  File "${STAGE}/kavinto.exe"
  File "${STAGE}/kavinto-catalogue.exe"
  SetOutPath "$INSTDIR\sample\data"
  File "${STAGE}/data/*.cds"
  SetOutPath "$INSTDIR\sample\pdf"
  File "${STAGE}/pdf/*.pdf"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the program in the sample catalogue's folder (its working directory).
  SetOutPath "$INSTDIR\sample"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kavinto.exe" "" "$INSTDIR\kavinto.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "kavinto"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kavinto.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there, and nothing else.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\sample\pdf\*.pdf"
  Delete "$INSTDIR\sample\data\kavinto_modszerek.cds"
  Delete "$INSTDIR\sample\data\kavinto_funkciok.cds"
  RMDir "$INSTDIR\sample\pdf"
  RMDir "$INSTDIR\sample\data"
  RMDir "$INSTDIR\sample"
  Delete "$INSTDIR\kavinto.exe"
  Delete "$INSTDIR\kavinto-catalogue.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
