# kova_installer_platform: the facilities of the installer bootstrapper.
# Kept apart from kova_platform so that the 32-bit Windows build of the
# bootstrapper needs nothing but these files. Windows has every facility;
# POSIX has the file and process ones (the rest are faked in tests).
set(_platform ${KOVA_ROOT}/platform)
add_library(kova_installer_platform STATIC
  ${_platform}/command_line_words.cc
  ${_platform}/message_box.cc
)
if(WIN32)
  target_sources(kova_installer_platform PRIVATE
    ${_platform}/argument_text_win.cc
    ${_platform}/com_thread_scope_win.cc
    ${_platform}/embedded_resources_win.cc
    ${_platform}/installed_products_win.cc
    ${_platform}/message_box_win.cc
    ${_platform}/message_file_win.cc
    ${_platform}/package_files_win.cc
    ${_platform}/process_launcher_win.cc
    ${_platform}/string_resources_win.cc
    ${_platform}/utf16.cc
    ${_platform}/windows_version_win.cc
    ${_platform}/wow64_state_win.cc
  )
  target_link_libraries(kova_installer_platform PUBLIC msi shlwapi ole32)
else()
  target_sources(kova_installer_platform PRIVATE
    ${_platform}/package_files_posix.cc
    ${_platform}/process_launcher_posix.cc
  )
endif()
kova_target_headers(kova_installer_platform DIRECTORIES ${_platform})
