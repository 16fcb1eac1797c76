# Windows: the programs go into one folder, with Qt's DLLs beside the window
# program, and `cpack -G NSIS` makes an installer of it that
# links .tarnel scheme files to the window program. Included from
# packaging/packaging.cmake.
set(_tarnel_windows ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS tarnel-cli RUNTIME DESTINATION .)
if(TARGET tarnel-cli-draws)
  # `tarnel-cli draws` hands over to it (it needs Qt SQL and Qt Network).
  install(TARGETS tarnel-cli-draws RUNTIME DESTINATION .)
endif()
if(TARGET tarnel)
  install(TARGETS tarnel RUNTIME DESTINATION .)
  # What windeployqt would put beside the program, named here: the Qt DLLs
  # it links, the plugins it loads (the windows platform, the native style,
  # and for the draws the SQLite driver and TLS), the Chinese texts of Qt's
  # own dialogs, and the compiler's runtime DLLs that Qt and the program share.
  foreach(module Core Gui Widgets PrintSupport Concurrent Sql Network)
    if(TARGET Qt6::${module})
      install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
    endif()
  endforeach()
  foreach(plugin platforms/QWindowsIntegrationPlugin styles/QWindowsVistaStylePlugin
                 imageformats/QICOPlugin sqldrivers/QSQLiteDriverPlugin tls/QSchannelBackendPlugin
                 networkinformation/QNLMNIPlugin)
    get_filename_component(folder ${plugin} DIRECTORY)
    get_filename_component(name ${plugin} NAME)
    if(TARGET Qt6::${name})
      install(FILES $<TARGET_FILE:Qt6::${name}> DESTINATION ${folder})
    endif()
  endforeach()
  # Translations are the same files on every system: Debian's qt6-translations-l10n.
  find_file(TARNEL_QT_ZH_CN qtbase_zh_CN.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(TARNEL_QT_ZH_CN)
    install(FILES ${TARNEL_QT_ZH_CN} DESTINATION translations)
  else()
    message(WARNING "qtbase_zh_CN.qm not found (Debian: qt6-translations-l10n): Qt's dialogs will speak English")
  endif()
  # Qt looks for its plugins and translations beside the program.
  install(FILES ${_tarnel_windows}/qt.conf DESTINATION .)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
      message(FATAL_ERROR "${dll} not found by ${CMAKE_CXX_COMPILER}")
    endif()
    install(FILES ${found} DESTINATION .)
  endforeach()
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
