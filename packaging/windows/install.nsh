  ; The data folder \korvane\ at the root of the Windows drive, where the
  ; programs look for it when they are started on that drive: made from the
  ; copy in the installation folder when it does not exist yet. One that
  ; exists is the user's, and is left as it is.
  StrCpy $R0 $WINDIR 2
  StrCpy $R0 "$R0\korvane"
  IfFileExists "$R0\*.*" velk0_data_kept
    CreateDirectory "$R0"
    CopyFiles /SILENT "$INSTDIR\korvane\*.*" "$R0"
    WriteRegStr SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" "DataFolder" "$R0"
  velk0_data_kept:
