; The Windows installer of Orv Sympharon, a 64-bit program for a 64-bit plug-in.
;
; It puts OrvSympharon.dll into the common VST2 folder (%CommonProgramFiles%\VST2) or a folder the
; user picks, the VST3 bundle into the common VST3 folder
; (%CommonProgramFiles%\VST3\OrvSympharon.vst3\Contents\x86_64-win\OrvSympharon.vst3), the CLAP
; plug-in OrvSympharon.clap into the common CLAP folder
; (%CommonProgramFiles%\CLAP, where CLAP hosts look), and the read-me, licences, change log and the uninstaller (Uninstall.nsi) into
; %ProgramFiles%\Orv Sympharon, and registers the uninstaller with Add/Remove Programs.
; "setup.exe /S" installs silently (with /D=FOLDER as the last argument for another plug-in
; folder), "Uninstall.exe /S" uninstalls silently. The uninstaller removes exactly what was
; installed: the DLL, the plug-in folder only if this installer made it and it is empty again,
; the VST3 bundle and the CLAP plug-in (and the VST3 and CLAP folders if this installer made them
; and they are empty again), the documents and the key.
;
; scripts/make-windows-packages.sh builds it:
;   makensis -DVERSION=1.5.0 -DDLL=OrvSympharon.dll -DCLAP=OrvSympharon.clap \
;       -DVST3DLL=OrvSympharon.vst3 -DDOCS=folder -DUNINSTALLER=Uninstall.exe -DOUTFILE=setup.exe \
;       OrvSympharon.nsi
; where VST3DLL is the library of the built bundle (Contents\x86_64-win\OrvSympharon.vst3) and
; where DOCS holds README.txt, LICENSE.txt, LiberationSans-OFL.txt and CHANGELOG.txt.

!ifndef VERSION | DLL | CLAP | VST3DLL | DOCS | UNINSTALLER | OUTFILE
  !error "define VERSION, DLL, CLAP, VST3DLL, DOCS, UNINSTALLER and OUTFILE (see the top of this file)"
!endif
!include "${__FILEDIR__}/Common.nsh"

OutFile "${OUTFILE}"
InstallDir "$COMMONFILES64\VST2"
; An update goes where the last installation put the plug-in.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "PluginFolder"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
; A file that cannot be written (a host has the old plug-in loaded) is never skipped: the
; installer offers to retry, and a silent one fails instead of leaving the old plug-in in place.
AllowSkipFiles off

!include MUI2.nsh

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${DOCS}/LICENSE.txt"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will put the VST 2 plug-in OrvSympharon.dll into this \
folder. Most hosts look in the common VST2 folder; if yours uses another folder for VST 2 \
plug-ins, choose that one, or add this folder in your host's plug-in settings."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2 plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. Rescan the plug-ins in your host; the \
effect appears as $\"${PRODUCT}$\"."
!define MUI_FINISHPAGE_SHOWREADME "${DOC_FOLDER}\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Section "Install"
    SetRegView 64
    ; A plug-in folder this installer makes is removed again by the uninstaller (when empty); one
    ; that was there before is left alone. An update into the same folder keeps what it knew.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PluginFolder"
    ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "PluginFolderCreated"
    ${If} $0 != $INSTDIR
        ${If} $0 != ""
            ; An update into another folder: the old copy would show up twice in hosts.
            Delete "$0\OrvSympharon.dll"
            ${If} $1 == 1
                RMDir "$0"
            ${EndIf}
        ${EndIf}
        ${If} ${FileExists} "$INSTDIR\*.*"
            StrCpy $1 0
        ${Else}
            StrCpy $1 1
        ${EndIf}
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "/oname=OrvSympharon.dll" "${DLL}"

    ; The CLAP plug-in always goes into the common CLAP folder. Whether this installer made that
    ; folder is known from the first installation on; an update keeps the record.
    ClearErrors
    ReadRegDWORD $3 HKLM "${UNINSTALL_KEY}" "ClapFolderCreated"
    ${If} ${Errors}
        ${If} ${FileExists} "${CLAP_FOLDER}\*.*"
            StrCpy $3 0
        ${Else}
            StrCpy $3 1
        ${EndIf}
    ${EndIf}
    SetOutPath "${CLAP_FOLDER}"
    File "/oname=OrvSympharon.clap" "${CLAP}"

    ; The VST3 bundle always goes into the common VST3 folder, recorded the same way.
    ClearErrors
    ReadRegDWORD $4 HKLM "${UNINSTALL_KEY}" "Vst3FolderCreated"
    ${If} ${Errors}
        ${If} ${FileExists} "${VST3_FOLDER}\*.*"
            StrCpy $4 0
        ${Else}
            StrCpy $4 1
        ${EndIf}
    ${EndIf}
    SetOutPath "${VST3_BUNDLE}\Contents\x86_64-win"
    File "/oname=OrvSympharon.vst3" "${VST3DLL}"

    SetOutPath "${DOC_FOLDER}"
    File "${DOCS}/README.txt"
    File "${DOCS}/LICENSE.txt"
    File "${DOCS}/LiberationSans-OFL.txt"
    File "${DOCS}/CHANGELOG.txt"
    File "/oname=Uninstall.exe" "${UNINSTALLER}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (VST 2, VST3 and CLAP plug-in)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${DOC_FOLDER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${DOC_FOLDER}\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${DOC_FOLDER}\Uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PluginFolder" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "PluginFolderCreated" $1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "ClapFolderCreated" $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Vst3FolderCreated" $4
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Size in KiB, as Add/Remove Programs shows it.
    SectionGetSize 0 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
SectionEnd
