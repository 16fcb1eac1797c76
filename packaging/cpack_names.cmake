# The package's name, version and vendor, the same in every installer.
set(CPACK_PACKAGE_NAME tarnel)
if(PROJECT_VERSION)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
else()
  set(CPACK_PACKAGE_VERSION 0.1.0)
endif()
set(CPACK_PACKAGE_VENDOR "Tarnel")
