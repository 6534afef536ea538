; The Vireo installer: vireo.exe and its help page under Program Files\Vireo,
; a Start menu folder, an uninstaller and its Add/Remove Programs entry, and
; Explorer's ways in: playlists open in Vireo, media files get "Add to Vireo
; playlist". Everything goes to the whole machine, as the files do.
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

; File types for the whole machine, as the files are: the shell reads HKCU's
; own classes only from Windows 2000 on. HKLM's classes are one key for 32- and
; 64-bit programs alike (shared from Windows 7, reflected before).
!define CLASSES        "Software\Classes"
!define PLAYLIST_EXT   ".VireoList"
!define PLAYLIST_CLASS "Vireo.Playlist.1"
; The fifth icon of vireo.exe (ids 128, 129, 130, 135, 136): the program's own.
!define PLAYLIST_ICON  4
; Beside whatever program owns a media type, never instead of it.
!define ADD_VERB       "Vireo.Add"
!define PLAY_VERB      "Vireo.Play"
; Explorer hands a selection to the running player over DDE, one execute per
; item in the selection's order, each answered before the next.
!define DDE_SERVICE    "Vireo"
!define DDE_TOPIC      "Playlist"
; The name the process gives itself (shell/app_identity.cpp): Windows 10 and
; 11 show the registered display name and picture beside the media controls.
; The shortcut carries it too, or the taskbar would group a pinned Vireo
; apart from the running one.
!define APP_ID         "Tallgrass.Vireo"
!define APP_ID_KEY     "${CLASSES}\AppUserModelId\${APP_ID}"
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST       0

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Win\COM.nsh
!include Win\Propkey.nsh

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

; Beside a verb's command line, which every other caller keeps using and which
; starts the player when none runs: the player then has the first item from
; its command line, so the execute sent to it ("[]") does nothing. Above 15
; items Explorer offers a verb only for a player of any number of them.
!macro RegisterVerbDde VERB_KEY EXECUTE
  WriteRegStr HKLM "${VERB_KEY}" "MultiSelectModel" "Player"
  WriteRegStr HKLM "${VERB_KEY}\ddeexec" "" '${EXECUTE}'
  WriteRegStr HKLM "${VERB_KEY}\ddeexec\application" "" "${DDE_SERVICE}"
  WriteRegStr HKLM "${VERB_KEY}\ddeexec\topic" "" "${DDE_TOPIC}"
  WriteRegStr HKLM "${VERB_KEY}\ddeexec\ifexec" "" "[]"
!macroend

; Every "%1" is quoted: a path with a blank stays one path.
!macro RegisterPlaylistType
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_EXT}" "" "${PLAYLIST_CLASS}"
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}" "" "Vireo playlist"
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}\DefaultIcon" "" "$INSTDIR\vireo.exe,${PLAYLIST_ICON}"
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}\shell" "" "open"
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}\shell\open\command" "" '"$INSTDIR\vireo.exe" /play "%1"'
  !insertmacro RegisterVerbDde "${CLASSES}\${PLAYLIST_CLASS}\shell\open" '[play("%1")]'
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}\shell\edit" "" "Edit in Vireo"
  WriteRegStr HKLM "${CLASSES}\${PLAYLIST_CLASS}\shell\edit\command" "" '"$INSTDIR\vireo.exe" /load "%1"'
  !insertmacro RegisterVerbDde "${CLASSES}\${PLAYLIST_CLASS}\shell\edit" '[load("%1")]'
!macroend

; The extension's value only if it still names our type: another program may
; have taken the type over since.
!macro UnregisterPlaylistType
  DeleteRegKey HKLM "${CLASSES}\${PLAYLIST_CLASS}"
  ReadRegStr $0 HKLM "${CLASSES}\${PLAYLIST_EXT}" ""
  ${If} $0 == "${PLAYLIST_CLASS}"
    DeleteRegValue HKLM "${CLASSES}\${PLAYLIST_EXT}" ""
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${CLASSES}\${PLAYLIST_EXT}"
!macroend

!macro RegisterAddVerb EXT
  WriteRegStr HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${ADD_VERB}" "" "Add to Vireo playlist"
  WriteRegStr HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${ADD_VERB}\command" "" '"$INSTDIR\vireo.exe" "%1"'
  !insertmacro RegisterVerbDde "${CLASSES}\SystemFileAssociations\${EXT}\shell\${ADD_VERB}" '[add("%1")]'
!macroend

; The keys above the verb go only when nothing else is left in them.
!macro UnregisterAddVerb EXT
  DeleteRegKey HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${ADD_VERB}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell"
  DeleteRegKey /ifempty HKLM "${CLASSES}\SystemFileAssociations\${EXT}"
!macroend

!macro RegisterPlayVerb EXT
  WriteRegStr HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${PLAY_VERB}" "" "Play in Vireo"
  WriteRegStr HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${PLAY_VERB}\command" "" '"$INSTDIR\vireo.exe" /play "%1"'
  !insertmacro RegisterVerbDde "${CLASSES}\SystemFileAssociations\${EXT}\shell\${PLAY_VERB}" '[play("%1")]'
!macroend

!macro UnregisterPlayVerb EXT
  DeleteRegKey HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell\${PLAY_VERB}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\SystemFileAssociations\${EXT}\shell"
  DeleteRegKey /ifempty HKLM "${CLASSES}\SystemFileAssociations\${EXT}"
!macroend

; Other players' playlists, which stay their own program's.
!macro ForEachOtherPlaylistType MACRO
  !insertmacro ${MACRO} ".m3u"
  !insertmacro ${MACRO} ".m3u8"
  !insertmacro ${MACRO} ".pls"
!macroend

; The kinds the Add chooser offers.
!macro ForEachMediaType MACRO
  !insertmacro ${MACRO} ".wav"
  !insertmacro ${MACRO} ".mid"
  !insertmacro ${MACRO} ".rmi"
  !insertmacro ${MACRO} ".avi"
  !insertmacro ${MACRO} ".cda"
!macroend

; The shortcut's System.AppUserModel.ID, written through its property store
; (Windows 7 and later; elsewhere the store is not there and nothing happens).
; A PROPVARIANT of VT_LPWSTR: the type, six reserved bytes, the string's address.
!macro GiveShortcutAppId LINK
  !insertmacro ComHlpr_CreateInProcInstance ${CLSID_ShellLink} ${IID_IShellLink} r0 ""
  ${If} $0 P<> 0
    ${IUnknown::QueryInterface} $0 '("${IID_IPersistFile}",.r1)'
    ${If} $1 P<> 0
      ${IPersistFile::Load} $1 '("${LINK}",${STGM_READWRITE})'
      ${IUnknown::QueryInterface} $0 '("${IID_IPropertyStore}",.r2)'
      ${If} $2 P<> 0
        System::Call '*(&w${NSIS_MAX_STRLEN} "${APP_ID}")p.r3'
        System::Call '*${SYSSTRUCT_PROPERTYKEY}(${PKEY_AppUserModel_ID})p.r4'
        System::Call '*(&i2 ${VT_LPWSTR},&i6,p r3,&i8)p.r5'
        ${IPropertyStore::SetValue} $2 '($4,$5)'
        ${IPropertyStore::Commit} $2 ""
        System::Free $5
        System::Free $4
        System::Free $3
        ${IUnknown::Release} $2 ""
        ${IPersistFile::Save} $1 '("${LINK}",1)'
      ${EndIf}
      ${IUnknown::Release} $1 ""
    ${EndIf}
    ${IUnknown::Release} $0 ""
  ${EndIf}
!macroend

; Without it Explorer may show the old icons and verbs until the next restart.
!macro TellShellAssociationsChanged
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
!macroend

Function .onInit
  SetShellVarContext all
FunctionEnd

Section "Vireo"
  !insertmacro CloseRunningVireo

  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/vireo.exe"
  File "${BUILD_DIR}/vireo.htm"
  File "${BUILD_DIR}/vireo.png"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Vireo"
  CreateShortcut "$SMPROGRAMS\Vireo\Vireo.lnk" "$INSTDIR\vireo.exe" "" "$INSTDIR\vireo.exe" 0
  !insertmacro GiveShortcutAppId "$SMPROGRAMS\Vireo\Vireo.lnk"
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

  WriteRegExpandStr HKLM "${APP_ID_KEY}" "DisplayName" "Vireo"
  WriteRegExpandStr HKLM "${APP_ID_KEY}" "IconUri" "$INSTDIR\vireo.png"
  !insertmacro RegisterPlaylistType
  !insertmacro ForEachMediaType RegisterAddVerb
  !insertmacro ForEachOtherPlaylistType RegisterPlayVerb
  !insertmacro ForEachOtherPlaylistType RegisterAddVerb
  !insertmacro TellShellAssociationsChanged
SectionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  !insertmacro CloseRunningVireo

  ClearErrors
  Delete "$INSTDIR\vireo.exe"
  Delete "$INSTDIR\vireo.htm"
  Delete "$INSTDIR\vireo.png"
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
  ; Vireo writes the user's own when it shows the media controls.
  DeleteRegKey HKLM "${APP_ID_KEY}"
  DeleteRegKey HKCU "${APP_ID_KEY}"
  !insertmacro UnregisterPlaylistType
  !insertmacro ForEachMediaType UnregisterAddVerb
  !insertmacro ForEachOtherPlaylistType UnregisterPlayVerb
  !insertmacro ForEachOtherPlaylistType UnregisterAddVerb
  !insertmacro TellShellAssociationsChanged

  ; A silent uninstall keeps the settings: nobody was asked.
  MessageBox MB_YESNO|MB_ICONQUESTION "Remove Vireo's settings (window position and playing options) as well?" /SD IDNO IDNO keepSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keepSettings:
SectionEnd
