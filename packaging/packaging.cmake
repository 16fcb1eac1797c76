# What `cmake --install` puts where, and the Debian package that `cpack -G DEB`
# makes of it. Included at the end of the top-level CMakeLists.txt, once every
# program target is defined. Windows builds have their own: windows/windows.cmake.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows/windows.cmake)
  return()
endif()
include(GNUInstallDirs)

if(TARGET tarnel)
  install(TARGETS tarnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET tarnel-cli)
  install(TARGETS tarnel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(TARGET tarnel-cli-draws)
    install(TARGETS tarnel-cli-draws RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endif()

set(_tarnel_data ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${_tarnel_data}/tarnel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_tarnel_data}/org.tarnel.Tarnel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_tarnel_data}/tarnel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tarnel.xml)
# The licence: Debian's copyright file, which points to the full text in
# /usr/share/common-licenses/GPL-3 as every package there does.
install(FILES ${_tarnel_data}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${_tarnel_data}/icons/tarnel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_tarnel_data}/icons/tarnel-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME tarnel.png)

set(TARNEL_PACKAGE_MAINTAINER
    "Tarnel maintainers <maintainers@users.noreply.c-seed-b417af7c.example>"
    CACHE STRING "Maintainer field of the Debian package")

include(${CMAKE_CURRENT_LIST_DIR}/cpack_names.cmake)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "filter for daily three-digit lottery numbers")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TARNEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tarnel starts from all 1000 numbers 000 to 999, removes every number that
one of your conditions rules out (sum, span, banker digits, shapes, two-digit
combinations and more), and shows the numbers left with their count, ready to
be copied as bets. A second window does the same for the 100 two-digit
numbers, and a set tool combines two pasted lists.")
# The libraries come from dpkg-shlibdeps; the CJK font is loaded at run time
# by name, so no linker tool can see it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
# Qt's own Chinese texts (standard buttons, file dialogs); the program names its message box buttons without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
