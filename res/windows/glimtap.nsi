; The Windows installer of glimtap-cli. makensis -DVERSION=1.2.3 -DSTAGE=<folder holding
; glimtap-cli.exe and manual.html> -DOUTFILE=<installer> glimtap.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimtap"

Name "Glimtap ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Glimtap"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  ; The Start menu entries are every user's, as the program is.
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}/glimtap-cli.exe"
  File "${STAGE}/manual.html"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Glimtap"
  ; A console that stays open, so that the help shows and further commands can follow.
  CreateShortcut "$SMPROGRAMS\Glimtap\Glimtap command line.lnk" "$SYSDIR\cmd.exe" \
    '/k ""$INSTDIR\glimtap-cli.exe" --help"'
  CreateShortcut "$SMPROGRAMS\Glimtap\Glimtap manual.lnk" "$INSTDIR\manual.html"
  CreateShortcut "$SMPROGRAMS\Glimtap\Uninstall Glimtap.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Glimtap"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Glimtap maintainers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Glimtap\Glimtap command line.lnk"
  Delete "$SMPROGRAMS\Glimtap\Glimtap manual.lnk"
  Delete "$SMPROGRAMS\Glimtap\Uninstall Glimtap.lnk"
  RMDir "$SMPROGRAMS\Glimtap"
  Delete "$INSTDIR\glimtap-cli.exe"
  Delete "$INSTDIR\manual.html"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
