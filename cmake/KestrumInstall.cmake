# Installing like a Debian program: `cmake --install BUILD --prefix PREFIX` puts the program in
# bin/, its help and example command sets in share/kestrum/ (where it looks for them through
# ../share/kestrum), and the desktop entry, AppStream metadata, icons and manual page where
# desktops and man(1) find them. `make package` turns the same tree into a .deb with CPack.

include(GNUInstallDirs)

# The reverse-DNS application id: desktop entry, metainfo, icon and the program itself
# (QGuiApplication::setDesktopFileName) use this one name.
set(KESTRUM_APP_ID io.github.kestrum.Kestrum)
set(KESTRUM_PACKAGE_MAINTAINER "Kestrum project <kestrum@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the .deb and its changelog: the project, not a person")

set(linux_files ${PROJECT_SOURCE_DIR}/resources/linux)
set(generated ${PROJECT_BINARY_DIR}/install-files)
set(data_dir ${CMAKE_INSTALL_DATADIR}/kestrum)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kestrum)  # the package's name, not the project's

install(TARGETS kestrum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Debian's hardening: a read-only relocation table, resolved at start.
target_link_options(kestrum PRIVATE LINKER:-z,relro LINKER:-z,now)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestrum.hlp DESTINATION ${data_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/examples/ DESTINATION ${data_dir}/examples
    FILES_MATCHING PATTERN "*.cmd")

install(FILES ${linux_files}/${KESTRUM_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${linux_files}/${KESTRUM_APP_ID}.metainfo.xml
    ${generated}/${KESTRUM_APP_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${KESTRUM_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/app-icon/${size}x${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${KESTRUM_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/app-icon/scalable.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${KESTRUM_APP_ID}.svg)

# Manual page and changelog go out compressed, as Debian installs them; -n leaves the name and
# time out of the .gz, so that the same sources give the same bytes.
configure_file(${linux_files}/kestrum.1.in ${generated}/kestrum.1 @ONLY)
configure_file(${linux_files}/changelog.in ${generated}/changelog @ONLY)
add_custom_command(OUTPUT ${generated}/kestrum.1.gz ${generated}/changelog.gz
    COMMAND gzip -9nkf ${generated}/kestrum.1 ${generated}/changelog
    DEPENDS ${generated}/kestrum.1 ${generated}/changelog
    COMMENT "Compressing the manual page and the changelog")
add_custom_target(kestrum_install_files ALL
    DEPENDS ${generated}/kestrum.1.gz ${generated}/changelog.gz)
install(FILES ${generated}/kestrum.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/changelog.gz ${linux_files}/copyright DESTINATION ${doc_dir})

# make package: one .deb whose dependencies dpkg-shlibdeps reads off the executable.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VENDOR "Kestrum project")
set(CPACK_PACKAGE_CONTACT "${KESTRUM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRUM_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial-port test terminal for RS-232 equipment")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrum is a desktop serial-port test terminal for engineers who commission
and test equipment driven over RS-232: lighting dimmers, cinema sound
processors, AV gear and modems. It sends strings written in Ascii (with caret
pairs such as ^M), Hex or Decimal notation and shows every byte sent and
received in one Data Monitor.
.
Forty labelled command buttons live in command set files (example sets for a
loopback test, AT modems and a lighting dimmer are included); checksums can be
appended, text files sent line by line, and the log saved or printed.")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian's own file name (name_version_architecture.deb), spelled out so that tests can name it.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_architecture
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT deb_architecture)
    set(deb_architecture ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_DEBIAN_FILE_NAME kestrum_${PROJECT_VERSION}_${deb_architecture}.deb)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
