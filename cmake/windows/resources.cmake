# The resources every Windows program of the project carries, made from the
# templates beside this file: the application manifest, which lets Windows
# hand the program paths of any length (longPathAware) and names the Windows
# versions it is made for.
function(avd_windows_resources target)
  enable_language(RC)
  # The manifest's version has four numbers: 0.76 is 0.76.0.0.
  string(REPLACE "." ";" numbers "${AVD_VERSION}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(SUBLIST numbers 0 4 numbers)
  string(JOIN "." AVD_MANIFEST_VERSION ${numbers})
  set(AVD_PROGRAM ${target})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/windows)
  set(AVD_MANIFEST_PATH ${dir}/${target}.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/program.manifest.in ${AVD_MANIFEST_PATH} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/program.rc.in ${dir}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set_property(SOURCE ${dir}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS ${AVD_MANIFEST_PATH})
endfunction()
