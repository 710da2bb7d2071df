# Manual pages, the package's documents and the Debian package. Included last
# from the top-level CMakeLists.txt, so that every program is known here.
#
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
#   cmake --build build-release && (cd build-release && cpack -G DEB)
#
# writes trevalune_<version>_<architecture>.deb; scripts/package-check.sh
# builds and checks it.
include(GNUInstallDirs)

# The project has no mail address or web site of its own yet. A packager sets
# these; the home page is left out of the package while it is empty.
set(TREVALUNE_MAINTAINER "Trevalune developers <developers@trevalune.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(TREVALUNE_HOMEPAGE ""
    CACHE STRING "Home page named in the Debian package (none when empty)")

if(UNIX)
  # Debian wants manual pages and the changelog compressed with gzip -9n (no
  # name or time stamp inside, so the package is the same from build to build).
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)

  function(trevalune_compress source output)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}.plain
      COMMAND ${GZIP_PROGRAM} -9nf ${output}.plain
      COMMAND ${CMAKE_COMMAND} -E rename ${output}.plain.gz ${output}
      DEPENDS ${source}
      VERBATIM)
  endfunction()

  # One page a program that the build defines; the version comes from the project.
  set(compressed_docs)
  foreach(program trevalune trevalune-cli)
    if(TARGET ${program})
      configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in
                     ${packaging_dir}/${program}.1 @ONLY)
      trevalune_compress(${packaging_dir}/${program}.1 ${packaging_dir}/${program}.1.gz)
      list(APPEND compressed_docs ${packaging_dir}/${program}.1.gz)
      install(FILES ${packaging_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
      # The English page, for an English locale (man looks in man/en first).
      configure_file(${PROJECT_SOURCE_DIR}/docs/man/en/${program}.1.in
                     ${packaging_dir}/en/${program}.1 @ONLY)
      trevalune_compress(${packaging_dir}/en/${program}.1 ${packaging_dir}/en/${program}.1.gz)
      list(APPEND compressed_docs ${packaging_dir}/en/${program}.1.gz)
      install(FILES ${packaging_dir}/en/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/en/man1)
    endif()
  endforeach()

  trevalune_compress(${PROJECT_SOURCE_DIR}/packaging/changelog ${packaging_dir}/changelog.gz)
  list(APPEND compressed_docs ${packaging_dir}/changelog.gz)
  add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})

  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trevalune)
endif()

set(CPACK_PACKAGE_NAME trevalune)
set(CPACK_PACKAGE_VENDOR "Trevalune developers")
set(CPACK_PACKAGE_CONTACT "${TREVALUNE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor of the balance tables in a game executable")
# The extended description, one line of the package's control file per line here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Trevalune edits the creature, building and spell tables stored inside one"
  "game executable, each in a grid under its own tab, and writes a patched copy"
  "with Save As. Only the bytes of the table records are written, and the copy"
  "is complete before it replaces anything.")
set(CPACK_STRIP_FILES ON)
# Directories the package creates are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TREVALUNE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(TREVALUNE_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TREVALUNE_HOMEPAGE}")
endif()
# The libraries the programs and the chart plugin link (Qt, muParser,
# QCustomPlot, the C++ runtime) become dependencies through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts in the windows (message-box buttons, the file dialogs) in
# Russian. Recommended rather than required: without it the editor works the
# same, with those few texts in English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
