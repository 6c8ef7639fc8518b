# Every header is included as "<folder>/<file>.h". A folder's headers are
# reachable only through its include root, which holds that one folder (a
# link into the sources) and which only the targets that link the folder's
# libraries see. So an include that the build graph does not allow fails to
# compile instead of waiting for a reviewer.
function(avd_folder_includes target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
