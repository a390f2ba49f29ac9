; The Windows installer of Vantrel, built by makensis from the Windows build:
;   makensis -DVERSION=<x.y> -DEXE=<vantrel.exe> -DREADME=<README.txt> -DOUTFILE=<setup.exe> vantrel.nsi
; It installs vantrel.exe into Program Files with a Start-menu entry and an
; uninstaller. The settings live in the registry under
; HKEY_LOCAL_MACHINE\SOFTWARE\Corvane\TFTP and are the technician's: the
; uninstaller leaves them where they are.
; A 64-bit installer for the 64-bit program: its folder and uninstall entry
; are the 64-bit ones.
Target amd64-unicode
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"

Name "Vantrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vantrel"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Vantrel"
  SetOutPath "$INSTDIR"
  File "/oname=vantrel.exe" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Vantrel.lnk" "$INSTDIR\vantrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vantrel TFTP Server"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Everything the installer put in place goes; the settings stay.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Vantrel.lnk"
  Delete "$INSTDIR\vantrel.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
