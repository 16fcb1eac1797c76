# Windows: the programs go into one folder, with Qt's DLLs beside the window
# program (windeployqt), and `cpack -G NSIS` makes an installer of it that
# links .tarnel scheme files to the window program. Included from
# packaging/packaging.cmake.
set(_tarnel_windows ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS tarnel-cli RUNTIME DESTINATION .)
if(TARGET tarnel)
  install(TARGETS tarnel RUNTIME DESTINATION .)
  # Qt's DLLs, plugins and translations, found from the program's imports.
  find_program(TARNEL_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" REQUIRED)
  install(CODE "
    execute_process(
      COMMAND \"${TARNEL_WINDEPLOYQT}\" --release --no-compiler-runtime --verbose 0
              \"\${CMAKE_INSTALL_PREFIX}/tarnel.exe\"
      COMMAND_ERROR_IS_FATAL ANY)
  ")
  # The compiler's own DLLs (windeployqt leaves them to us).
  set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
  include(InstallRequiredSystemLibraries)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../cpack_names.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "filter for daily three-digit lottery numbers")
set(CPACK_GENERATOR NSIS)
set(CPACK_STRIP_FILES ON)
# Values reach the NSIS script exactly as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tarnel)
# A 64-bit installer for 64-bit programs, installing into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tarnel)
set(CPACK_NSIS_DISPLAY_NAME Tarnel)
set(CPACK_NSIS_MUI_ICON ${_tarnel_windows}/tarnel.ico)
set(CPACK_NSIS_MUI_UNIICON ${_tarnel_windows}/tarnel.ico)
if(TARGET tarnel)
  set(CPACK_NSIS_INSTALLED_ICON_NAME tarnel.exe)
  set(CPACK_PACKAGE_EXECUTABLES tarnel Tarnel)
  # .tarnel files open in the window program (`tarnel.exe FILE`), with its icon.
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKCR ".tarnel" "" "Tarnel.Scheme"
  WriteRegStr HKCR "Tarnel.Scheme" "" "Tarnel 方案"
  WriteRegStr HKCR "Tarnel.Scheme\DefaultIcon" "" "$INSTDIR\tarnel.exe,0"
  WriteRegStr HKCR "Tarnel.Scheme\shell\open\command" "" '"$INSTDIR\tarnel.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 HKCR ".tarnel" ""
  StrCmp $0 "Tarnel.Scheme" 0 +2
  DeleteRegKey HKCR ".tarnel"
  DeleteRegKey HKCR "Tarnel.Scheme"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
else()
  set(CPACK_NSIS_INSTALLED_ICON_NAME tarnel-cli.exe)
endif()
include(CPack)
