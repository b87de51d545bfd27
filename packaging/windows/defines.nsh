; After an uninstallation: the maker's key in the registry, which CPack's
; uninstaller empties but leaves.
Function un.onUninstSuccess
  DeleteRegKey /ifempty SHCTX "Software\@CPACK_PACKAGE_VENDOR@"
FunctionEnd
