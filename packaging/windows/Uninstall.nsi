; The uninstaller of Orv Sympharon: Uninstall.exe, which the installer puts beside the documents
; and registers with Add/Remove Programs. "Uninstall.exe /S" uninstalls silently.
;
; It is a program of its own rather than NSIS's built-in uninstaller, which copies itself to the
; temporary folder, starts that copy and returns at once: "Uninstall.exe /S" would end before
; anything was removed, and a script that checks or installs again right after it would race the
; removal. This one removes the plug-in, the documents and the Add/Remove Programs entry in its
; own process, so all of that is gone when it returns. Only its own file and the then empty
; folder, which cannot be deleted while the program runs, go a moment later: a copy of it started
; from the temporary folder with /CLEANUP=PROCESS_ID waits for this process to end and removes
; them at once (and the copy is deleted when Windows next starts, as NSIS's own uninstaller copy
; is). It leaves them alone should an installation have registered itself again meanwhile.
;
; When OrvSympharon.dll cannot be deleted (a host has it loaded), nothing else is removed and the
; uninstall fails (exit code 2; run by hand, it offers to try again), so the entry stays for a
; later attempt. The VST3 bundle's library and OrvSympharon.clap go next, in the same way: held by
; a host, it and everything after it stay, with the entry.
;
; scripts/make-windows-packages.sh builds it before the installer, which carries it:
;   makensis -DVERSION=1.5.0 -DOUTFILE=Uninstall.exe Uninstall.nsi

!ifndef VERSION | OUTFILE
  !error "define VERSION and OUTFILE (see the top of this file)"
!endif
!include "${__FILEDIR__}/Common.nsh"
!include FileFunc.nsh

OutFile "${OUTFILE}"
Caption "$(^Name) Uninstall"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} uninstaller"
ShowInstDetails show

!include MUI2.nsh
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_PAGE_HEADER_TEXT "Uninstalling"
!define MUI_PAGE_HEADER_SUBTEXT "Please wait while ${PRODUCT} is being removed."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Uninstallation complete"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "${PRODUCT} has been removed from this computer."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Uninstallation failed"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "${PRODUCT} was not removed."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/CLEANUP=" $1
    ${IfNot} ${Errors}
        ; Only a copy outside the installation does this work.
        ${If} $EXEDIR != "${DOC_FOLDER}"
            Call RemoveUninstaller
        ${EndIf}
        Quit
    ${EndIf}
    ${IfNot} ${Silent}
        MessageBox MB_YESNO|MB_ICONQUESTION "Remove $(^Name) from this computer?" IDYES +2
        Abort
    ${EndIf}
FunctionEnd

Section "-Remove"
    SetRegView 64
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PluginFolder"
    ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "PluginFolderCreated"
    ${If} $0 != ""
        ; The plug-in first: while a host has it loaded it cannot be deleted, and then the
        ; installation stays whole and registered.
        ${Do}
            Delete "$0\OrvSympharon.dll"
            ${IfNot} ${FileExists} "$0\OrvSympharon.dll"
                ${Break}
            ${EndIf}
            ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0\OrvSympharon.dll is in use. Close the programs that have loaded it and retry." /SD IDCANCEL IDRETRY`
                Abort "$0\OrvSympharon.dll is in use: nothing was removed."
            ${EndIf}
        ${Loop}
        ${If} $1 == 1
            RMDir "$0"
        ${EndIf}
    ${EndIf}
    ${Do}
        Delete "${VST3_DLL}"
        ${IfNot} ${FileExists} "${VST3_DLL}"
            ${Break}
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${VST3_DLL} is in use. Close the programs that have loaded it and retry." /SD IDCANCEL IDRETRY`
            Abort "${VST3_DLL} is in use: it, the CLAP plug-in and the documents were not removed."
        ${EndIf}
    ${Loop}
    ; The bundle's folders, and the common VST3 folder when the installer made it; only empty ones.
    RMDir "${VST3_BUNDLE}\Contents\x86_64-win"
    RMDir "${VST3_BUNDLE}\Contents"
    RMDir "${VST3_BUNDLE}"
    ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" "Vst3FolderCreated"
    ${If} $2 == 1
        RMDir "${VST3_FOLDER}"
    ${EndIf}
    ${Do}
        Delete "${CLAP_FOLDER}\OrvSympharon.clap"
        ${IfNot} ${FileExists} "${CLAP_FOLDER}\OrvSympharon.clap"
            ${Break}
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${CLAP_FOLDER}\OrvSympharon.clap is in use. Close the programs that have loaded it and retry." /SD IDCANCEL IDRETRY`
            Abort "${CLAP_FOLDER}\OrvSympharon.clap is in use: it and the documents were not removed."
        ${EndIf}
    ${Loop}
    ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" "ClapFolderCreated"
    ${If} $2 == 1
        RMDir "${CLAP_FOLDER}"
    ${EndIf}
    Delete "${DOC_FOLDER}\README.txt"
    Delete "${DOC_FOLDER}\LICENSE.txt"
    Delete "${DOC_FOLDER}\LiberationSans-OFL.txt"
    Delete "${DOC_FOLDER}\CHANGELOG.txt"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; After a successful uninstall (silent or not, called as the window closes): this program cannot
; delete its own file while it runs, so a copy in the temporary folder does once this process has
; ended.
Function .onInstSuccess
    System::Call "kernel32::GetCurrentProcessId() i .r1"
    GetTempFileName $0
    CopyFiles /SILENT "$EXEPATH" "$0"
    Exec '"$0" /S /CLEANUP=$1'
FunctionEnd

; The copy's work, given the uninstaller's process id in $1: wait for that process to end (up to a
; minute), then delete its file, and the folder if nothing else is left in it, unless an
; installation has registered itself again meanwhile (its new Uninstall.exe stays).
Function RemoveUninstaller
    ; SYNCHRONIZE access: enough to wait for the process.
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i $1) p .r2"
    ${If} $2 != 0
        System::Call "kernel32::WaitForSingleObject(p r2, i 60000) i"
        System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
    StrCpy $0 0
    ${Do}
        ClearErrors
        ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "PluginFolder"
        ${IfNot} ${Errors}
            ${Break}
        ${EndIf}
        Delete "${DOC_FOLDER}\Uninstall.exe"
        ${IfNot} ${FileExists} "${DOC_FOLDER}\Uninstall.exe"
            RMDir "${DOC_FOLDER}"
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $0 $0 + 1
    ${LoopUntil} $0 >= 100
    Delete /REBOOTOK "$EXEPATH"
FunctionEnd
