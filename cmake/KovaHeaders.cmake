# The include rule. Headers are written as paths from the source root
# ("platform/registry.h"), but no target sees the source root itself: each
# target sees only its own folder's headers and, through linking, those of
# the targets it depends on. A file that includes a header of a target it
# does not link (a library reaching into a tool, portable code reaching into
# a program folder) fails to compile.
#
# kova_target_headers(TARGET [SCOPE PUBLIC|PRIVATE|INTERFACE] [DIRECTORIES dir...])
# stages forwarding headers for every *.h in the directories (default: the
# current source folder) under the build tree and adds that stage to the
# target's include path with the given scope (default PUBLIC). Forwarding
# headers, not links, so the same works on every build host.
#
# Paths are taken from KOVA_SOURCE_ROOT, the project's source folder unless
# a project built from a subfolder (installer/) sets it to the root.
if(NOT DEFINED KOVA_SOURCE_ROOT)
  set(KOVA_SOURCE_ROOT ${PROJECT_SOURCE_DIR})
endif()
function(kova_target_headers target)
  cmake_parse_arguments(H "" "SCOPE" "DIRECTORIES" ${ARGN})
  if(NOT H_SCOPE)
    set(H_SCOPE PUBLIC)
  endif()
  if(NOT H_DIRECTORIES)
    set(H_DIRECTORIES ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  foreach(dir ${H_DIRECTORIES})
    file(RELATIVE_PATH folder ${KOVA_SOURCE_ROOT} ${dir})
    file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
    foreach(header ${headers})
      get_filename_component(name ${header} NAME)
      file(CONFIGURE OUTPUT ${stage}/${folder}/${name} CONTENT "#include \"${header}\"\n")
    endforeach()
  endforeach()
  target_include_directories(${target} ${H_SCOPE} ${stage})
endfunction()
