# Installation like a Debian tool: the programs on the PATH, their French
# manual pages, and a Debian package built by CPack (cpack -G DEB).
include(GNUInstallDirs)

install(TARGETS velk0 ${VELK0_COMPANIONS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(NOT WIN32)
  # Manual pages and the changelog, compressed as Debian keeps them.
  function(velk0_gzip source output)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
      COMMAND gzip -9nc ${source} > ${output}
      DEPENDS ${source} VERBATIM)
  endfunction()
  file(GLOB VELK0_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/man/*.1)
  set(VELK0_MAN_GZ "")
  foreach(page ${VELK0_MAN_PAGES})
    get_filename_component(name ${page} NAME)
    velk0_gzip(${page} ${PROJECT_BINARY_DIR}/doc/${name}.gz)
    list(APPEND VELK0_MAN_GZ ${PROJECT_BINARY_DIR}/doc/${name}.gz)
  endforeach()
  set(VELK0_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/doc/changelog.gz)
  velk0_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${VELK0_CHANGELOG_GZ})
  add_custom_target(velk0_docs ALL DEPENDS ${VELK0_MAN_GZ} ${VELK0_CHANGELOG_GZ})
  install(FILES ${VELK0_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${VELK0_CHANGELOG_GZ}
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The desktop entry that opens MIDI files and tablatures from the file
  # manager, the one that listens to a keyboard, their icon, and the type of
  # the .tab files.
  set(VELK0_DESKTOP ${PROJECT_SOURCE_DIR}/packaging/desktop)
  install(FILES ${VELK0_DESKTOP}/velk0.desktop ${VELK0_DESKTOP}/velk0-ecoute.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELK0_DESKTOP}/velk0.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${VELK0_DESKTOP}/velk0-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME velk0.xml)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velk0)
set(CPACK_PACKAGE_CONTACT "velk0 developers <velk0@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plays tablatures and builds scales, chords and cadences")
set(CPACK_PACKAGE_DESCRIPTION
    "velk0 plays short pieces written as text in its own notation on a MIDI\n\
output or its embedded synthesizer, and builds, names and plays musical\n\
material: intervals, chords and their names, scales in every key, cadences\n\
and rhythms; velk0-ecoute plays a MIDI keyboard through it and names every\n\
chord played. Every message is in French, printed as plain lines that read\n\
well with a screen reader.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "timgm6mb-soundfont | fluid-soundfont-gm, xclip | xsel | wl-clipboard, zenity, libnotify-bin")
