# The packages, made by `cmake --build <build> --target package`: a Debian package on Linux,
# an installer (NSIS) and a portable zip of the programs on Windows.

set(CPACK_PACKAGE_NAME korvex12)
set(CPACK_PACKAGE_VENDOR "The Korvex-12 developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configure and read out the Korvex-12 angle alarm device")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Korvex-12")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Korvex-12")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_PACKAGE_FILE_NAME korvex12-${PROJECT_VERSION}-win64)
  set(CPACK_NSIS_PACKAGE_NAME "Korvex-12")
  set(CPACK_NSIS_DISPLAY_NAME "Korvex-12")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_PACKAGE_EXECUTABLES korvex12 "Korvex-12")  # the Start-menu shortcut
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\korvex12.exe")
  set(CPACK_NSIS_MUI_ICON "${CMAKE_BINARY_DIR}/platform/win32/rc/installer.ico")
  set(CPACK_NSIS_MUI_UNIICON "${CMAKE_BINARY_DIR}/platform/win32/rc/installer.ico")
  set(CPACK_NSIS_MODIFY_PATH OFF)
  # A 64-bit installer for 64-bit programs: it writes to the system's own registry view and
  # Program Files, and runs where no 32-bit subsystem is installed.
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Korvex-12 developers <maintainers@korvex12.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
  # Stripped as Debian strips: without the compiler's .comment section.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/strip-comments.cmake)
  # The extended description, in lines Debian shows as they are (at most 80 columns).
  string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
         "Korvex-12 is the operator's console of an angle alarm device on a serial port"
         "(9600 baud, 8N1). Its window sets the device password and reads it back, sets"
         "the device clock and the alarm angle, zeroes the angle sensor or resets the"
         "zero, and reads the device's log of alarm events into a list that can be saved"
         "as a tab-separated text file."
         ""
         "korvex12-cli runs the same commands from a terminal or a script, on one or many"
         "ports. korvex12-sim is a simulated device on a virtual serial port, for trying"
         "everything without hardware. Serial ports need membership of the dialout group.")

  # What a Debian package carries besides the programs: the copyright and changelog, the
  # manual pages (compressed as Debian compresses them) and the AppStream metainfo.
  find_program(KORVEX_GZIP gzip REQUIRED)
  set(KORVEX_DOC_DIR ${CMAKE_BINARY_DIR}/packaging)
  set(KORVEX_COMPRESSED)
  foreach(page korvex12 korvex12-cli korvex12-sim)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/man/${page}.1 ${KORVEX_DOC_DIR}/${page}.1 @ONLY)
    list(APPEND KORVEX_COMPRESSED ${KORVEX_DOC_DIR}/${page}.1)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${KORVEX_DOC_DIR}/changelog COPYONLY)
  list(APPEND KORVEX_COMPRESSED ${KORVEX_DOC_DIR}/changelog)
  set(KORVEX_GZIPPED)
  foreach(file ${KORVEX_COMPRESSED})
    add_custom_command(OUTPUT ${file}.gz COMMAND ${KORVEX_GZIP} -9 -n -c ${file} > ${file}.gz DEPENDS ${file}
                       VERBATIM)
    list(APPEND KORVEX_GZIPPED ${file}.gz)
  endforeach()
  add_custom_target(korvex12_docs ALL DEPENDS ${KORVEX_GZIPPED})
  foreach(page korvex12 korvex12-cli korvex12-sim)
    install(FILES ${KORVEX_DOC_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${KORVEX_DOC_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/korvex12.metainfo.xml.in
                 ${KORVEX_DOC_DIR}/${KORVEX_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${KORVEX_DOC_DIR}/${KORVEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

include(CPack)
