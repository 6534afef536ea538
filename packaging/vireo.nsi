; The Vireo installer: vireo.exe and its help page under Program Files\Vireo,
; a Start menu folder, an uninstaller and its Add/Remove Programs entry.
; /S installs silently, /D=FOLDER (last on the line) picks another folder.
;
;   makensis -DBUILD_DIR=<absolute folder with vireo.exe and vireo.htm> -DOUTFILE=<setup.exe> packaging/vireo.nsi

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef BUILD_DIR
  !error "BUILD_DIR must name the folder that holds vireo.exe and vireo.htm"
!endif
!ifndef OUTFILE
  !define OUTFILE "vireo-setup.exe"
!endif
!ifndef VERSION
  !define VERSION "1.1"
!endif

!define PUBLISHER     "Tallgrass Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vireo"
!define SETTINGS_KEY  "Software\Tallgrass\Vireo"
; The main window, and its Exit command, as the program defines them.
!define MAIN_CLASS    "#32770"
!define MAIN_TITLE    "Vireo"
!define IDC_EXIT      1009

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "Vireo"
Caption "Vireo ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Vireo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName"     "Vireo"
VIAddVersionKey /LANG=1033 "CompanyName"     "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Vireo ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion"     "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion"  "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright"  "Copyright (c) 1996 Mara Lindqvist"

!define MUI_ICON   "../res/program.ico"
!define MUI_UNICON "../res/program.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vireo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vireo"
!define MUI_FINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A running Vireo holds vireo.exe open, so it could be neither replaced nor
; removed: it is asked to exit (which saves its settings) and given a few
; seconds to do so.
!macro CloseRunningVireo
  FindWindow $0 "${MAIN_CLASS}" "${MAIN_TITLE}"
  ${If} $0 <> 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Vireo is running. It will be closed to continue." /SD IDOK IDOK +2
    Abort
    SendMessage $0 ${WM_COMMAND} ${IDC_EXIT} 0 /TIMEOUT=5000
    ${For} $1 1 100
      Sleep 100
      FindWindow $0 "${MAIN_CLASS}" "${MAIN_TITLE}"
      ${IfThen} $0 = 0 ${|} ${ExitFor} ${|}
    ${Next}
    ; The window goes before the process ends.
    Sleep 500
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
FunctionEnd

Section "Vireo"
  !insertmacro CloseRunningVireo

  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/vireo.exe"
  File "${BUILD_DIR}/vireo.htm"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Vireo"
  CreateShortcut "$SMPROGRAMS\Vireo\Vireo.lnk" "$INSTDIR\vireo.exe" "" "$INSTDIR\vireo.exe" 0
  CreateShortcut "$SMPROGRAMS\Vireo\Vireo help.lnk" "$INSTDIR\vireo.htm"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vireo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vireo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  !insertmacro CloseRunningVireo

  ClearErrors
  Delete "$INSTDIR\vireo.exe"
  Delete "$INSTDIR\vireo.htm"
  ; A file left behind keeps the entry, so that uninstalling can be retried.
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Vireo could not be removed from $INSTDIR." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Vireo\Vireo.lnk"
  Delete "$SMPROGRAMS\Vireo\Vireo help.lnk"
  RMDir "$SMPROGRAMS\Vireo"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; A silent uninstall keeps the settings: nobody was asked.
  MessageBox MB_YESNO|MB_ICONQUESTION "Remove Vireo's settings (window position and playing options) as well?" /SD IDNO IDNO keepSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keepSettings:
SectionEnd
