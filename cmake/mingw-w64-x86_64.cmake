# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, which std::thread and Qt need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TREVALUNE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TREVALUNE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TREVALUNE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TREVALUNE_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot and the prefixes given in
# CMAKE_PREFIX_PATH; programs (moc, rcc, uic) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TREVALUNE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
