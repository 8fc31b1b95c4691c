; An uninstaller built with NSIS that removes the same footprint as Uninstall.exe, for the
; side-by-side uninstall benchmark (bench/run_uninstall_bench.sh). Only built-in instructions are
; used: the virtual printer and the Word add-in, which NSIS cannot remove without plug-ins, are
; left out of the footprint on both sides.
;
; Compiling gives an installer whose only work is to write the uninstaller next to itself:
;   makensis -INPUTCHARSET UTF8 -DOUTFILE=nsis_writer.exe orvik_uninstall.nsi
;   nsis_writer.exe /S        (writes nsis_uninstall.exe)
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
Name "Orvik Pendrel"
!ifndef OUTFILE
  !define OUTFILE "nsis_writer.exe"
!endif
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SilentInstall silent
SilentUnInstall silent
InstallDir "$EXEDIR"

!define PRODUCT "Orvik Pendrel"
!define DOC_PROGID "OrvikPendrel.Document"
!define FDF_PROGID "OrvikPendrel.FDFDoc"
!define FILE_EXTS "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts"
!define MIME "SOFTWARE\Classes\MIME\Database\Content Type"
!define UPDATES "Software\Orvik Software\Orvik Pendrel\Updates List"

Section
  WriteUninstaller "$EXEDIR\nsis_uninstall.exe"
SectionEnd

; ---- helpers ----

!macro DeleteValueIfEquals ROOT KEY NAME EXPECTED
  ReadRegStr $1 ${ROOT} "${KEY}" "${NAME}"
  StrCmpS $1 "${EXPECTED}" 0 +2
    DeleteRegValue ${ROOT} "${KEY}" "${NAME}"
!macroend

; Deletes the MIME type's class identifier when it is the ProgID's.
!macro DeleteMimeClsidIfOurs ROOT PROGID_KEY MIME_KEY
  ReadRegStr $1 ${ROOT} "${PROGID_KEY}\CLSID" ""
  ReadRegStr $2 ${ROOT} "${MIME_KEY}" "CLSID"
  StrCmpS $1 $2 0 +2
    DeleteRegValue ${ROOT} "${MIME_KEY}" "CLSID"
!macroend

!macro DeleteProductTrees ROOT
  DeleteRegKey ${ROOT} "SOFTWARE\Classes\CLSID\{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}"
  DeleteRegKey ${ROOT} "SOFTWARE\Classes\CLSID\{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}"
  DeleteRegKey ${ROOT} "SOFTWARE\Classes\${DOC_PROGID}"
  DeleteRegKey ${ROOT} "SOFTWARE\Classes\${FDF_PROGID}"
  DeleteRegKey ${ROOT} "SOFTWARE\Classes\Applications\ORVIKP~1.EXE"
  DeleteRegKey ${ROOT} "SOFTWARE\Orvik Software\Orvik Pendrel"
  DeleteRegKey ${ROOT} "SOFTWARE\Orvik Software\沃岚Pendrel"
  DeleteRegKey ${ROOT} "SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Orvik Pendrel"
  DeleteRegKey ${ROOT} "SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\Orvik Pendrel"
  DeleteRegKey ${ROOT} "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvik Pendrel"
  DeleteRegKey ${ROOT} "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\沃岚Pendrel"
!macroend

; $0 = 1 when the product opens ".pdf" files for the current user.
Function un.IsProductPdfHandler
  StrCpy $0 0
  ReadRegStr $1 HKCU "${FILE_EXTS}\.pdf\UserChoice" "Progid"
  StrCmp $1 "" 0 command
  ReadRegStr $1 HKCR ".pdf" ""
  StrCmp $1 "" done
command:
  ReadRegStr $2 HKCR "$1\shell\open\command" ""
  StrCmp $2 '"$INSTDIR\${PRODUCT}.exe" "%1"' 0 done
  StrCpy $0 1
done:
FunctionEnd

; ---- the uninstall ----

Section "Uninstall"
  ; A running product keeps its executable: then nothing is removed.
  ClearErrors
  Delete "$INSTDIR\${PRODUCT}.exe"
  IfErrors 0 +2
    Abort

  ; Shortcuts: desktops, Quick Launch, Start menu folders.
  SetShellVarContext all
  Delete "$DESKTOP\${PRODUCT}.lnk"
  SetShellVarContext current
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$QUICKLAUNCH\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  SetShellVarContext current

  ; Add-ons: their records, files and directories.
  DeleteRegKey /ifempty HKCU "${UPDATES}\Eastern Asian Language Support"
  Delete "$INSTDIR\kpdfcjk.bin"
  DeleteRegKey /ifempty HKCU "${UPDATES}\JPEG2000 and JBIG2 Image Decoders"
  Delete "$INSTDIR\kvdecod1.dll"
  DeleteRegKey /ifempty HKCU "${UPDATES}\Orvik Spell Check Language"
  Delete "$INSTDIR\lex\accent.tlx"
  Delete "$INSTDIR\lex\correct.tlx"
  Delete "$INSTDIR\lex\ssceam.tlx"
  Delete "$INSTDIR\lex\ssceam2.clx"
  Delete "$INSTDIR\lex\sscebr.tlx"
  Delete "$INSTDIR\lex\sscebr2.clx"
  Delete "$INSTDIR\lex\ssceca.tlx"
  Delete "$INSTDIR\lex\ssceca2.clx"
  Delete "$INSTDIR\lex\tech.tlx"
  Delete "$INSTDIR\lex\userdic.tlx"
  RMDir "$INSTDIR\lex"
  DeleteRegKey /ifempty HKCU "${UPDATES}\Firefox Plugin"
  IfFileExists "$INSTDIR\UnPDFReaderPlugin.exe" 0 second_plugin_name
    ExecWait '"$INSTDIR\UnPDFReaderPlugin.exe" -p $INSTDIR\plugins\'
    Goto plugin_done
second_plugin_name:
  IfFileExists "$INSTDIR\UninstallPDFReaderPlugin.exe" 0 plugin_done
    ExecWait '"$INSTDIR\UninstallPDFReaderPlugin.exe" -p $INSTDIR\plugins\'
plugin_done:
  Delete "$INSTDIR\Plugins\npOrvikReaderPlugin.dll"
  Delete "$INSTDIR\UninstallPDFReaderPlugin.exe"
  Delete "$INSTDIR\UnPDFReaderPlugin.exe"
  DeleteRegKey /ifempty HKCU "${UPDATES}\OnDemandCM"
  Delete "$INSTDIR\Plugins\OnDemandCM\OnDemandPlugin.dll"
  Delete "$INSTDIR\Plugins\OnDemandCM\curl\curl.exe"
  Delete "$INSTDIR\Plugins\OnDemandCM\curl\libcurl.dll"
  Delete "$INSTDIR\Plugins\OnDemandCM\curl\libeay32.dll"
  Delete "$INSTDIR\Plugins\OnDemandCM\curl\libssl32.dll"
  RMDir "$INSTDIR\Plugins\OnDemandCM\curl"
  Delete "$INSTDIR\Plugins\OnDemandCM\*.xml"
  RMDir "$INSTDIR\Plugins\OnDemandCM"

  ; Stamps, language files, the OCR plug-in and the updater's file.
  Delete "$INSTDIR\Stamps\Standard Stamps\*.pdf"
  Delete "$INSTDIR\Stamps\Sign Here\*.pdf"
  RMDir "$INSTDIR\Stamps\Standard Stamps"
  RMDir "$INSTDIR\Stamps\Sign Here"
  RMDir "$INSTDIR\Stamps"
  Delete "$INSTDIR\lang\*.xml"
  RMDir "$INSTDIR\lang"
  RMDir /r "$INSTDIR\plugins\OCR\KV_Abbyy_OCR"
  Delete "$INSTDIR\plugins\OCR\KV_Abbyy_OCR.Dll"
  Delete "$INSTDIR\UpdaterInfo.xml"
  RMDir "$INSTDIR\plugins\OCR"

  ; Program files and the directories the installer made.
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$INSTDIR\config.xml"
  Delete "$INSTDIR\InOther.exe"
  Delete "$INSTDIR\InComplete.exe"
  RMDir "$INSTDIR\Plugins"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  ; Associations, only while the product is the ".pdf" handler.
  Call un.IsProductPdfHandler
  StrCmp $0 1 0 associations_done
  !insertmacro DeleteValueIfEquals HKLM "Software\Classes\.pdf" "" "${DOC_PROGID}"
  !insertmacro DeleteValueIfEquals HKLM "Software\Classes\.fdf" "" "${FDF_PROGID}"
  !insertmacro DeleteMimeClsidIfOurs HKLM "SOFTWARE\Classes\${DOC_PROGID}" "${MIME}\application/pdf"
  !insertmacro DeleteMimeClsidIfOurs HKLM "SOFTWARE\Classes\${FDF_PROGID}" "${MIME}\application/vnd.fdf"
  !insertmacro DeleteValueIfEquals HKCU "${FILE_EXTS}\.pdf\UserChoice" "Progid" "${DOC_PROGID}"
  !insertmacro DeleteValueIfEquals HKCU "${FILE_EXTS}\.fdf" "Progid" "${FDF_PROGID}"
  ReadRegStr $1 HKCR ".pdf" ""
  StrCmpS $1 "${DOC_PROGID}" 0 +3
    DeleteRegValue HKCR ".pdf" ""
    DeleteRegValue HKCU "${FILE_EXTS}\.pdf\UserChoice" "Progid"
  ReadRegStr $1 HKCR ".fdf" ""
  StrCmpS $1 "${FDF_PROGID}" 0 +3
    DeleteRegValue HKCR ".fdf" ""
    DeleteRegValue HKCU "${FILE_EXTS}\.fdf\UserChoice" "Progid"
  !insertmacro DeleteMimeClsidIfOurs HKCR "${DOC_PROGID}" "Mime\Database\Content Type\application/pdf"
  !insertmacro DeleteMimeClsidIfOurs HKCR "${FDF_PROGID}" "Mime\Database\Content Type\application/vnd.fdf"
  ; The "open with" entries named after the ProgIDs, and the ".fdf" choice while it names the product.
  DeleteRegValue HKLM "Software\Classes\.pdf\OpenWithProgids" "${DOC_PROGID}"
  DeleteRegValue HKLM "Software\Classes\.fdf\OpenWithProgids" "${FDF_PROGID}"
  DeleteRegValue HKCU "${FILE_EXTS}\.pdf\OpenWithProgids" "${DOC_PROGID}"
  DeleteRegValue HKCU "${FILE_EXTS}\.fdf\OpenWithProgids" "${FDF_PROGID}"
  !insertmacro DeleteValueIfEquals HKCU "${FILE_EXTS}\.fdf\UserChoice" "Progid" "${FDF_PROGID}"
associations_done:

  ; The product's registry records under both roots.
  !insertmacro DeleteProductTrees HKLM
  !insertmacro DeleteProductTrees HKCU
SectionEnd
