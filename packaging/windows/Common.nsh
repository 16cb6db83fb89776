; What the installer (OrvSympharon.nsi) and the uninstaller (Uninstall.nsi) share: both are
; 64-bit programs that need an administrator (the common folders and HKLM), and both know where
; the installation keeps its record.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!define PRODUCT "Orv Sympharon"
!define PUBLISHER "Orvatone"
; The Add/Remove Programs entry, which also records where the plug-in went:
;   PluginFolder         the folder holding OrvSympharon.dll
;   PluginFolderCreated  1 when the installer made that folder (the uninstaller then removes it
;                        once it is empty), 0 when it was there before
;   ClapFolderCreated    the same for the common CLAP folder, which holds OrvSympharon.clap
;   Vst3FolderCreated    the same for the common VST3 folder, which holds the VST3 bundle
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvSympharon"
; Where the documents and Uninstall.exe live; the plug-in folder is the installer's $INSTDIR.
!define DOC_FOLDER "$PROGRAMFILES64\${PRODUCT}"
; Where CLAP hosts look for plug-ins of all users.
!define CLAP_FOLDER "$COMMONFILES64\CLAP"
; The VST3 bundle always goes into the common VST3 folder, where every VST3 host looks.
!define VST3_FOLDER "$COMMONFILES64\VST3"
!define VST3_BUNDLE "${VST3_FOLDER}\OrvSympharon.vst3"
!define VST3_DLL "${VST3_BUNDLE}\Contents\x86_64-win\OrvSympharon.vst3"

Name "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) the Orv Sympharon developers, MIT licence"

!include LogicLib.nsh
