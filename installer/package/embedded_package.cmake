# The package that KovaVssInstaller carries as resource "PART"/"KOVA64.MSI":
# the product's KOVA64.MSI, which the 64-bit Windows build makes (target
# KovaPackage, in BUILD/installer/package/). Sets KOVA_EMBEDDED_PACKAGE and
# writes package_resource.rc.
set(KOVA_PACKAGE_MSI "" CACHE FILEPATH
  "The package to embed as KOVA64.MSI: installer/package/KOVA64.MSI of the 64-bit Windows build")
if(NOT KOVA_PACKAGE_MSI)
  message(FATAL_ERROR "KovaVssInstaller needs the product's package: build the target KovaPackage "
    "in the 64-bit Windows build and pass -DKOVA_PACKAGE_MSI=BUILD/installer/package/KOVA64.MSI")
endif()
get_filename_component(KOVA_EMBEDDED_PACKAGE "${KOVA_PACKAGE_MSI}" ABSOLUTE)
if(NOT EXISTS "${KOVA_EMBEDDED_PACKAGE}")
  message(FATAL_ERROR "${KOVA_EMBEDDED_PACKAGE} does not exist: build the target KovaPackage "
    "of the 64-bit Windows build first")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/package_resource.rc
  "// Written by the build: the package the bootstrapper carries.\n"
  "KOVA64.MSI PART \"${KOVA_EMBEDDED_PACKAGE}\"\n")
