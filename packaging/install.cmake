# Installation as a desktop program (cmake --install build [--prefix DIR]) and the Debian
# package built from it (make package: cpack -G DEB in the build folder).
include(GNUInstallDirs)

set(KESTROVA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KESTROVA_METAINFO_ID io.github.tolvane.Kestrova)

install(TARGETS kestrova kestrova-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KESTROVA_PACKAGING_DIR}/kestrova.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESTROVA_PACKAGING_DIR}/${KESTROVA_METAINFO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${KESTROVA_PACKAGING_DIR}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# Manual pages go out compressed with gzip -9n (no name, no time stamp), as Debian's
# policy has them: the same page always gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(man_pages)
foreach(page kestrova.1 kestrova-cli.1)
  set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E copy ${KESTROVA_PACKAGING_DIR}/${page} ${CMAKE_BINARY_DIR}/man/${page}
    COMMAND ${GZIP_PROGRAM} -9nf ${CMAKE_BINARY_DIR}/man/${page}
    DEPENDS ${KESTROVA_PACKAGING_DIR}/${page}
    VERBATIM)
  list(APPEND man_pages ${compressed})
endforeach()
add_custom_target(manpages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The shell completions are made from the command line's option table.
set(completions ${CMAKE_BINARY_DIR}/completions)
add_custom_command(OUTPUT ${completions}/kestrova-cli ${completions}/_kestrova-cli ${completions}/kestrova-cli.fish
  COMMAND ${CMAKE_COMMAND} -E make_directory ${completions}
  COMMAND kestrova-cli-completions ${completions}
  DEPENDS kestrova-cli-completions
  VERBATIM)
add_custom_target(completions ALL DEPENDS ${completions}/kestrova-cli)
install(FILES ${completions}/kestrova-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${completions}/_kestrova-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${completions}/kestrova-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR Tolvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show and extract the audio zone of DVD-Audio discs")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestrova shows the audio zone (AUDIO_TS) of a DVD-Audio disc as a tree of titlesets, \
titles, tracks and indexes with their properties, and extracts the selected tracks as the \
stored stream or decoded to RIFF/WAVE files, optionally running an encoder on every file. \
kestrova-cli does the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kestrova_<version>_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Kestrova developers, Tolvane")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The Qt 6 libraries the programs link, as dpkg-shlibdeps finds them; libavcodec and
# libavutil are loaded at run time, so their packages are named from their major versions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX MATCH "^[0-9]+" avcodec_major "${FFMPEG_libavcodec_VERSION}")
string(REGEX MATCH "^[0-9]+" avutil_major "${FFMPEG_libavutil_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libavcodec${avcodec_major}, libavutil${avutil_major}")
include(CPack)

# The installation suite needs the installed programs built and knows where to find
# cmake, the build folder and both programs.
if(TARGET tst_install)
  add_dependencies(tst_install kestrova kestrova-cli manpages completions)
  target_compile_definitions(tst_install PRIVATE
    CMAKE_PROGRAM="${CMAKE_COMMAND}"
    BUILD_DIR="${CMAKE_BINARY_DIR}"
    PACKAGING_DIR="${KESTROVA_PACKAGING_DIR}"
    KESTROVA_GUI="$<TARGET_FILE:kestrova>")
endif()
