; The Brindlequay installer: for the current user, no administrator rights needed.
; makensis -DVERSION=... -DOUTFILE=... -DLISTS=<folder with install.nsh and uninstall.nsh>
; A 64-bit installer for 64-bit programs; it also runs where only 64-bit programs can (wine64).
Target amd64-unicode
SetCompressor /SOLID lzma
Name "Brindlequay ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Brindlequay"
InstallDirRegKey HKCU "Software\Kestrelix\Brindlequay" "InstallFolder"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlequay"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Brindlequay"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    !include "${LISTS}\install.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Brindlequay.lnk" "$INSTDIR\brindlequay.exe"
    WriteRegStr HKCU "Software\Kestrelix\Brindlequay" "InstallFolder" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Brindlequay"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kestrelix"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes only what the installer put there: files the user left in the folder stay, and so
; does the folder then. The settings the program saved are the user's and stay too.
Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Brindlequay.lnk"
    !include "${LISTS}\uninstall.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegValue HKCU "Software\Kestrelix\Brindlequay" "InstallFolder"
    DeleteRegKey /ifempty HKCU "Software\Kestrelix\Brindlequay"
    DeleteRegKey /ifempty HKCU "Software\Kestrelix"
SectionEnd
