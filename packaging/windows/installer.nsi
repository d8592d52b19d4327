; The Windows installer of Tillora Auto Backup. scripts/package-windows.sh makes it:
;   makensis -DVERSION=1.1.0 -DSTAGE=<what goes into the install folder>
;            -DFILELIST=<the uninstaller's list of those files> -DOUTFILE=<setup.exe>
; It never touches the store's data (c:\Tillora, ...), the backups or the user's settings
; (%LOCALAPPDATA%\tillora-backup): an install over an earlier one replaces only the
; program files, and the uninstaller removes only the files and shortcuts the installer
; made, by name.
Unicode true
; A 64-bit installer: it runs where the 64-bit programs run, with no 32-bit layer.
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be replaced stops the install instead of leaving a mix of versions.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Tillora Auto Backup"
!define PUBLISHER "The Tillora Auto Backup developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TilloraAutoBackup"
; The product's own program-menu folder: the "Windows Startup" window lists it beside the
; all-users Startup folder and moves shortcuts between the two.
!define MENU_FOLDER "$SMPROGRAMS\Tillora"
; One name for the program's shortcut in both folders, so the window's moves and the
; installer's choice meet the same file.
!define BACKUP_LINK "Tillora Auto Backup.lnk"
!define KP2_LINK "Tillora Kitchen Printer 2.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; A second install goes where the first went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Silent (/S), the programs running in this user's session are asked to end first, through
; their own single-instance channel ("--end-when-idle"): the backup program once the backup
; or restore going on has ended (it waits up to 2 hours), the printer program at once. Only
; programs of version 1.1 and later know that request; an earlier one would start instead.
; Those that ended are started again once the install is over, or refused.
Var EndedBackup
Var EndedKp2

!macro END_FOR_UPDATE exe ended
    StrCpy ${ended} ""
    ${If} ${FileExists} "$INSTDIR\${exe}"
        ClearErrors
        GetDLLVersion "$INSTDIR\${exe}" $R1 $R2
        ${IfNot} ${Errors}
        ${AndIf} $R1 >= 0x10001
            ExecWait '"$INSTDIR\${exe}" --end-when-idle' $R3
            ${If} $R3 == 3
                StrCpy ${ended} 1
                ; The process lets go of its .exe a moment after its lock.
                StrCpy $R4 0
                ${Do}
                    ClearErrors
                    FileOpen $R1 "$INSTDIR\${exe}" a
                    ${IfNot} ${Errors}
                        FileClose $R1
                        ${Break}
                    ${EndIf}
                    Sleep 500
                    IntOp $R4 $R4 + 1
                ${LoopUntil} $R4 >= 20
            ${EndIf}
        ${EndIf}
    ${EndIf}
!macroend

; Through Explorer, so each runs as the logged-on user, not with the installer's rights.
!macro START_ENDED un
Function ${un}StartEnded
    ${If} $EndedBackup == 1
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\tillora-backup.exe"'
    ${EndIf}
    ${If} $EndedKp2 == 1
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\tillora-kp2.exe"'
    ${EndIf}
FunctionEnd
!macroend
!insertmacro START_ENDED ""
!insertmacro START_ENDED "un."

; A running program holds its .exe open, so the file cannot be written: that is how a copy
; running in any user's session is seen. Interactive, the owner is asked to end them;
; silent (/S), the installer starts again what it ended, ends with exit code 2 and changes
; nothing.
!macro REFUSE_WHILE_RUNNING un
Function ${un}RefuseWhileRunning
    check:
    StrCpy $R0 ""
    ${If} ${FileExists} "$INSTDIR\tillora-backup.exe"
        ClearErrors
        FileOpen $R1 "$INSTDIR\tillora-backup.exe" a
        ${If} ${Errors}
            StrCpy $R0 "Tillora Auto Backup"
        ${Else}
            FileClose $R1
        ${EndIf}
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\tillora-kp2.exe"
        ClearErrors
        FileOpen $R1 "$INSTDIR\tillora-kp2.exe" a
        ${If} ${Errors}
            ${If} $R0 == ""
                StrCpy $R0 "Tillora Kitchen Printer 2"
            ${Else}
                StrCpy $R0 "$R0 and Tillora Kitchen Printer 2"
            ${EndIf}
        ${Else}
            FileClose $R1
        ${EndIf}
    ${EndIf}
    ${If} $R0 != ""
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "$R0 is running and cannot be replaced while it runs.$\r$\n$\r$\nEnd it with $\"End$\" in its window (for every user who is logged on), then press Retry." \
            /SD IDCANCEL IDRETRY check
        Call ${un}StartEnded
        SetErrorLevel 2
        Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Section "-Programs"
    SetRegView 64
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\${BACKUP_LINK}" "$INSTDIR\tillora-backup.exe"
    CreateShortcut "${MENU_FOLDER}\${KP2_LINK}" "$INSTDIR\tillora-kp2.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tillora-backup.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Start at logon: a shortcut in the all-users Startup folder, never a Run value beside it
; (both would start two copies). The "Start with the desktop session" box and the
; "Windows Startup" window switch the same shortcut later.
Section "Start Tillora Auto Backup when anyone logs on" SecStartAtLogon
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMSTARTUP\${BACKUP_LINK}" "$INSTDIR\tillora-backup.exe"
SectionEnd

Section "-Not at logon"
    SetShellVarContext all
    ${IfNot} ${SectionIsSelected} ${SecStartAtLogon}
        Delete "$SMSTARTUP\${BACKUP_LINK}"
    ${EndIf}
SectionEnd

Function .onInit
    SetRegView 64
    SetShellVarContext all
    ; Over an earlier install, start at logon stays as the owner left it; a first install
    ; (silent ones included) starts the program at logon.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $0 != ""
    ${AndIfNot} ${FileExists} "$SMSTARTUP\${BACKUP_LINK}"
        !insertmacro UnselectSection ${SecStartAtLogon}
    ${EndIf}
    ${If} ${Silent}
        !insertmacro END_FOR_UPDATE "tillora-backup.exe" $EndedBackup
        !insertmacro END_FOR_UPDATE "tillora-kp2.exe" $EndedKp2
    ${EndIf}
    Call RefuseWhileRunning
FunctionEnd

Function .onInstSuccess
    Call StartEnded
FunctionEnd

; A failed install leaves the old programs in place: they run again all the same.
Function .onInstFailed
    Call StartEnded
FunctionEnd

Function un.onInit
    SetRegView 64
    Call un.RefuseWhileRunning
FunctionEnd

Section "Uninstall"
    SetRegView 64
    SetShellVarContext all
    ; A program's own box may have put its shortcut into the Startup folder too.
    Delete "$SMSTARTUP\${BACKUP_LINK}"
    Delete "$SMSTARTUP\${KP2_LINK}"
    Delete "${MENU_FOLDER}\${BACKUP_LINK}"
    Delete "${MENU_FOLDER}\${KP2_LINK}"
    ; Only when empty: the point-of-sale product keeps its own shortcuts there.
    RMDir "${MENU_FOLDER}"

    ; The installed files by name, never the folder as a whole: the owner may have chosen
    ; a folder that holds other files (restic.exe put beside the program stays).
    !include "${FILELIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
