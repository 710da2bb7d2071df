# Install rules for the editor: the program, its desktop entry, its AppStream
# metadata and its icon. Included from ui/CMakeLists.txt once the target
# `trevalune` exists. The desktop entry and the metadata are named after the
# application's id, io.github.trevalune.Trevalune.
include(GNUInstallDirs)

install(TARGETS trevalune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/io.github.trevalune.Trevalune.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/io.github.trevalune.Trevalune.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/trevalune.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
