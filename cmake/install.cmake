# `cmake --install`: the two programs, their manual pages (English and
# Japanese, with the version filled in) and their bash completions, in the
# usual layout under the prefix.
include(GNUInstallDirs)

set(AVD_MAN_PAGES avdconv avdtool)
foreach(language "" "ja/")
  foreach(page ${AVD_MAN_PAGES})
    configure_file(${CMAKE_SOURCE_DIR}/man/${language}man1/${page}.1.in
                   ${CMAKE_BINARY_DIR}/man/${language}man1/${page}.1 @ONLY)
  endforeach()
endforeach()

if(NOT WIN32)
  install(TARGETS avdconv avdtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  foreach(language "" "ja/")
    foreach(page ${AVD_MAN_PAGES})
      install(FILES ${CMAKE_BINARY_DIR}/man/${language}man1/${page}.1
              DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}man1)
    endforeach()
  endforeach()
  install(FILES completions/avdconv completions/avdtool
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()
