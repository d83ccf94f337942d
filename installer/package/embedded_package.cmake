# The package that KovaVssInstaller carries as resource "PART"/"KOVA64.MSI".
# KOVA_PACKAGE_MSI names a package built elsewhere (the product's, from the
# 64-bit build); without it a placeholder with the product code and platform
# of the real package is built with wixl. Sets KOVA_EMBEDDED_PACKAGE, the
# target kova_embedded_package and the generated package_resource.rc.
set(KOVA_PACKAGE_MSI "" CACHE FILEPATH "Windows Installer package to embed as KOVA64.MSI")
set(_package_source ${CMAKE_CURRENT_LIST_DIR})
if(KOVA_PACKAGE_MSI)
  set(KOVA_EMBEDDED_PACKAGE ${KOVA_PACKAGE_MSI})
  add_custom_target(kova_embedded_package)
else()
  find_program(KOVA_WIXL wixl REQUIRED)
  set(KOVA_EMBEDDED_PACKAGE ${CMAKE_CURRENT_BINARY_DIR}/KovaVssPlaceholder.msi)
  add_custom_command(OUTPUT ${KOVA_EMBEDDED_PACKAGE}
    COMMAND ${KOVA_WIXL} -a x64 -o ${KOVA_EMBEDDED_PACKAGE} ${_package_source}/placeholder.wxs
    WORKING_DIRECTORY ${_package_source}
    DEPENDS ${_package_source}/placeholder.wxs ${_package_source}/placeholder.txt
    COMMENT "Building the placeholder package with wixl")
  add_custom_target(kova_embedded_package DEPENDS ${KOVA_EMBEDDED_PACKAGE})
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/package_resource.rc
  "// Written by the build: the package the bootstrapper carries.\n"
  "KOVA64.MSI PART \"${KOVA_EMBEDDED_PACKAGE}\"\n")
