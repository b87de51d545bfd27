  ; The data folder, when the installer made it: the files it put there, then
  ; the folder itself when nothing else is left in it (the files the programs
  ; or the user wrote there stay).
  ReadRegStr $R0 SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" "DataFolder"
  StrCmp $R0 "" velk0_data_done
  FindFirst $R1 $R2 "$INSTDIR\korvane\*.*"
  velk0_data_next:
    StrCmp $R2 "" velk0_data_last
    StrCmp $R2 "." velk0_data_skip
    StrCmp $R2 ".." velk0_data_skip
    Delete "$R0\$R2"
  velk0_data_skip:
    FindNext $R1 $R2
    Goto velk0_data_next
  velk0_data_last:
  FindClose $R1
  RMDir "$R0"
  velk0_data_done:
