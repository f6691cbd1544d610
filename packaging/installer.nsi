; The PopyonnEngine installer: a per-user installation that needs no administrator.
;
; The engine keeps its settings file beside its executable, and a standard user cannot write
; under Program Files; so everything goes to %LOCALAPPDATA%\Programs\PopyonnEngine and every
; registry value to HKCU.
;
; Built by packaging/make-packages.sh:
;   makensis -DVERSION=1.1.0 -DSTAGE=<dir with the files to install> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> installer.nsi
;
; Silent use: setup.exe /S [/D=C:\Some Folder]   and   uninstall.exe /S
; A silent uninstall keeps the user's settings and rules files.

!ifndef VERSION | STAGE | ICON | OUTFILE
    !error "define VERSION, STAGE, ICON and OUTFILE (see packaging/make-packages.sh)"
!endif

; setup.exe usually runs from the Downloads folder, where anything may have been saved beside
; it. The NSIS 3 stub imports only DLLs Windows takes from its own folder (common controls 6
; through the manifest MUI2 asks for), narrows its DLL search to the system folder
; (SetDefaultDllDirectories) before anything else, and loads the rest by their full system
; path, so a DLL planted there does not run. NSIS 2, whose stub looked beside itself first,
; cannot build this script: it knows neither Unicode nor amd64.
Unicode true
; Wine and 64-bit Windows alike run it without a 32-bit subsystem.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; A file that cannot be written is never skipped silently: the choice is retry or cancel.
AllowSkipFiles off

!define PRODUCT "PopyonnEngine"
!define PUBLISHER "The PopyonnEngine developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "PopyonnTray"
!define TRAY_EXE "PopyonnTray.exe"
!define TRAY_CLASS "PopyonnTrayWindow"
!define ENGINE_CLASS "TformPopyonnEngine"
!define ENGINE_TITLE "QovPopyonEngineWindowServer"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; How long a running tray or engine may take to put every window back and end.
!define END_TIMEOUT_MS 15000

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION RunTray
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; ---- Ending a running tray and engine ----
;
; Files in use cannot be replaced or removed, and an engine that is killed leaves the windows
; it holds beyond the screen edge. So a running tray is asked to exit (it detaches, and the
; engine puts every window back and ends), a running engine without a tray gets WM_CLOSE (which
; puts every window back too), and nothing is touched until both processes have ended. A
; process that does not end in time stops the installer; it is never killed.

!macro END_RUNNING un
    ; In: $0 a window. Out: $1 a handle to wait on the process owning it, or 0.
    Function ${un}OwnerProcess
        System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r2)"
        ; SYNCHRONIZE: enough to wait on it, granted for processes of the same user.
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r1"
    FunctionEnd

    ; In: $1 a process handle or 0, $2 its window class, $3 the name to show.
    ; Waits until the process has ended (or, without a handle, its window has gone).
    Function ${un}WaitEnded
        ${If} $1 P<> 0
            System::Call "kernel32::WaitForSingleObject(p r1, i ${END_TIMEOUT_MS}) i .r4"
            System::Call "kernel32::CloseHandle(p r1)"
            ${If} $4 = 0
                Return
            ${EndIf}
        ${Else}
            StrCpy $4 0
            ${Do}
                FindWindow $0 "$2"
                ${If} $0 = 0
                    Return
                ${EndIf}
                Sleep 100
                IntOp $4 $4 + 100
            ${LoopUntil} $4 >= ${END_TIMEOUT_MS}
        ${EndIf}
        MessageBox MB_OK|MB_ICONSTOP "$3 did not end, so no file was changed. Close it and \
            run this again." /SD IDOK
        SetErrorLevel 3
        Quit
    FunctionEnd

    Function ${un}EndRunning
        ; Both process handles are taken first: ending the tray ends the engine too.
        StrCpy $5 0
        StrCpy $6 0
        FindWindow $0 "${TRAY_CLASS}"
        ${If} $0 <> 0
            Call ${un}OwnerProcess
            StrCpy $5 $1
        ${EndIf}
        FindWindow $7 "${ENGINE_CLASS}" "${ENGINE_TITLE}"
        ${If} $7 <> 0
            StrCpy $0 $7
            Call ${un}OwnerProcess
            StrCpy $6 $1
        ${EndIf}

        FindWindow $0 "${TRAY_CLASS}"
        ${If} $0 <> 0
            DetailPrint "Asking PopyonnTray to put every window back and exit"
            ${If} ${FileExists} "$INSTDIR\${TRAY_EXE}"
                ExecWait '"$INSTDIR\${TRAY_EXE}" --exit'
            ${EndIf}
            ; A tray from elsewhere, or one that did not listen: WM_CLOSE means Exit.
            FindWindow $0 "${TRAY_CLASS}"
            ${If} $0 <> 0
                SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
            ${EndIf}
            StrCpy $1 $5
            StrCpy $2 "${TRAY_CLASS}"
            StrCpy $3 "PopyonnTray"
            Call ${un}WaitEnded
        ${EndIf}

        FindWindow $0 "${ENGINE_CLASS}" "${ENGINE_TITLE}"
        ${If} $0 <> 0
            DetailPrint "Asking PopyonnEngine to put every window back and end"
            SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        ${EndIf}
        ${If} $7 <> 0
            StrCpy $1 $6
            StrCpy $2 "${ENGINE_CLASS}"
            StrCpy $3 "PopyonnEngine"
            Call ${un}WaitEnded
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro END_RUNNING ""
!insertmacro END_RUNNING "un."

; ---- Installer ----

Section "${PRODUCT}" SecProgram
    SectionIn RO
    Call EndRunning
    SetOutPath "$INSTDIR"
    ; The user's PopyoE_<user>.dat and PopyoTray_<user>.toml are not among these, so an
    ; upgrade leaves them as they are.
    File "${STAGE}/PopyonnEngine.exe"
    File "${STAGE}/popyctl.exe"
    File "${STAGE}/${TRAY_EXE}"
    File "${STAGE}/README.txt"
    File "${STAGE}/rules-example.toml"
    WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Start-menu shortcut" SecShortcut
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${TRAY_EXE}" "" "$INSTDIR\${TRAY_EXE}" 0
SectionEnd

Section /o "Start with Windows" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${TRAY_EXE}"'
SectionEnd

; Choices left out on an upgrade undo what an earlier installation did.
Section "-Entry"
    ${IfNot} ${SectionIsSelected} ${SecShortcut}
        Delete "${SHORTCUT}"
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${SecAutostart}
        Call DeleteOurRunValue
    ${EndIf}

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\PopyonnEngine.exe,0"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The Run value the tray's "Start with Windows" writes, when it starts this installation's
; tray: a portable copy's own value is not ours to remove.
!macro DELETE_OUR_RUN_VALUE un
    Function ${un}DeleteOurRunValue
        ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
        ${If} $0 == '"$INSTDIR\${TRAY_EXE}"'
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
        ${EndIf}
    FunctionEnd
!macroend
!insertmacro DELETE_OUR_RUN_VALUE ""
!insertmacro DELETE_OUR_RUN_VALUE "un."

Function .onInit
    ; Whether it starts with Windows stays as the user left it, also on a silent upgrade.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '"$INSTDIR\${TRAY_EXE}"'
        !insertmacro SelectSection ${SecAutostart}
    ${EndIf}
FunctionEnd

Function RunTray
    Exec '"$INSTDIR\${TRAY_EXE}"'
FunctionEnd

; ---- Uninstaller ----

Section "un.${PRODUCT}" UnSecProgram
    SectionIn RO
    Call un.EndRunning
    ; Each file by name: the folder may hold files that are not ours.
    Delete "$INSTDIR\PopyonnEngine.exe"
    Delete "$INSTDIR\popyctl.exe"
    Delete "$INSTDIR\${TRAY_EXE}"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\rules-example.toml"
    Delete "${SHORTCUT}"
    Call un.DeleteOurRunValue
SectionEnd

Section /o "un.Also remove my settings" UnSecSettings
    Delete "$INSTDIR\PopyoE_*.dat"
    ; Left by a save that was cut short.
    Delete "$INSTDIR\PopyoE_*.dat.tmp"
    Delete "$INSTDIR\PopyoTray_*.toml"
SectionEnd

; The uninstall entry goes last: while it is there, the uninstaller can be run again.
Section "-un.Entry"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: kept settings keep their folder.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
