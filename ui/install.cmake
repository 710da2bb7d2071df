# Install rules for the editor: the program, its desktop entry and its icon.
# Included from ui/CMakeLists.txt once the target `trevalune` exists.
include(GNUInstallDirs)

install(TARGETS trevalune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/trevalune.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/trevalune.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
