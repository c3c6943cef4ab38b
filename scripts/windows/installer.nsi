; The installer of both programs: makensis -DVERSION=1.0 -DPROGRAMS=<folder> -DOUTFILE=<exe>
;   -DFILES=<list of the program folder's files, for the uninstaller> installer.nsi
; Made by scripts/windows/build.sh. The programs live in a subfolder of the forestry suite's
; folder, which holds quarvel.Ini one level above them; the settings file beside the
; programs is installed once and never replaced, and stays with the outputs on uninstall.
; The programs are 64-bit; so is the installer (it also runs where 32-bit programs cannot).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
!include "LogicLib.nsh"
!include "MUI2.nsh"

!define NAME "QVL32 SEPA Beitragseinzug"
!define SETTINGS "QVL32-SEPA-Beitragseinzug.ini"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QVL32-SEPA"
!define STARTMENU "$SMPROGRAMS\QVL32 SEPA"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "C:\Quarvel\SEPA"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; The suite's folder, where its quarvel.Ini is: the programs go into its subfolder "SEPA".
Function .onInit
  SetShellVarContext all
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Return
  ${EndIf}
  ${ForEach} $1 0 3 + 1
    ${Select} $1
      ${Case} 0
        StrCpy $2 "C:\Quarvel"
      ${Case} 1
        StrCpy $2 "$PROGRAMFILES32\Quarvel"
      ${Case} 2
        StrCpy $2 "$PROGRAMFILES64\Quarvel"
      ${CaseElse}
        StrCpy $2 "D:\Quarvel"
    ${EndSelect}
    ${If} ${FileExists} "$2\quarvel.Ini"
      StrCpy $INSTDIR "$2\SEPA"
      Return
    ${EndIf}
  ${Next}
FunctionEnd

; The program reads the suite's INI file from the folder above its own.
Function CheckFolder
  ${IfNot} ${FileExists} "$INSTDIR\..\quarvel.Ini"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "Im Ordner über $INSTDIR liegt keine quarvel.Ini der Waldverwaltung. \
      Das Programm liest die Verbindung zur Datenbank aus dieser Datei.$\n$\nTrotzdem hier installieren?" \
      /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "Programme"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${PROGRAMS}/*.*"
  ; The settings file is the clerks': a new installation never replaces it.
  ${IfNot} ${FileExists} "$INSTDIR\${SETTINGS}"
    File "/oname=${SETTINGS}" "${SETTINGS_TEMPLATE}"
  ${EndIf}
  CreateDirectory "$INSTDIR\export"
  CreateDirectory "$INSTDIR\fibu"

  ; The clerks save the settings file and write the outputs here, without administrator rights:
  ; under the system's folders only administrators may write, so the group Users is asked for.
  StrCpy $0 "$INSTDIR" 3
  StrLen $1 "$PROGRAMFILES"
  StrCpy $2 "$INSTDIR" $1
  StrLen $3 "$WINDIR"
  StrCpy $4 "$INSTDIR" $3
  ${If} $2 == "$PROGRAMFILES"
  ${OrIf} $4 == "$WINDIR"
    MessageBox MB_YESNO|MB_ICONQUESTION "In $INSTDIR dürfen nur Administratoren schreiben. Die Sachbearbeiter \
      müssen dort aber die Einstellungsdatei speichern und die Ausgaben ablegen können.$\n$\nSollen alle Benutzer \
      des Rechners in diesem Ordner schreiben dürfen?" /SD IDYES IDNO +2
    nsExec::ExecToLog 'icacls "$INSTDIR" /grant *S-1-5-32-545:(OI)(CI)M'
  ${EndIf}
  ClearErrors
  FileOpen $5 "$INSTDIR\${SETTINGS}" a
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Die Einstellungsdatei $INSTDIR\${SETTINGS} kann nicht geschrieben werden. \
      Geben Sie den Sachbearbeitern Schreibrechte auf den Ordner $INSTDIR." /SD IDOK
  ${Else}
    FileClose $5
  ${EndIf}

  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\${NAME}.lnk" "$INSTDIR\qvl32-sepa.exe" "" "$INSTDIR\qvl32-sepa.exe" 0 \
    SW_SHOWNORMAL "" "Beitragseinzug der Waldverwaltung"
  CreateShortcut "${STARTMENU}\${NAME} deinstallieren.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly the installed program files: the settings file, the log and every output
; (export, fibu, letters, mails) stay, and so does the folder that holds them.
Section "Uninstall"
  SetShellVarContext all
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "${STARTMENU}\${NAME}.lnk"
  Delete "${STARTMENU}\${NAME} deinstallieren.lnk"
  RMDir "${STARTMENU}"
  RMDir "$INSTDIR\export"
  RMDir "$INSTDIR\fibu"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
