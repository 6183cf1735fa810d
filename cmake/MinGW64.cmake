# Cross-builds the Windows program and its layers as 64-bit Windows programs with MinGW-w64 on Debian.
#   cmake --preset windows     (or -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW64.cmake)
# CTest runs the test programs under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVELIN_MINGW_PREFIX x86_64-w64-mingw32)
# The -posix compilers: the -win32 ones lack std::mutex and std::thread, which GoogleTest and the
# file layer's table need.
find_program(CMAKE_C_COMPILER NAMES ${MORVELIN_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MORVELIN_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MORVELIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVELIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: without -static, Wine cannot find libstdc++/libwinpthread DLLs and the
# test ends with exit code 53 and no message at all.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The test programs run under Wine, each build in a Wine prefix of its own (never ~/.wine) and with
# code page 936 as the ANSI code page, which Wine takes from LC_CTYPE (the zh_CN.UTF-8 locale must
# exist: scripts/wine-env.sh makes it). LC_ALL would override LC_CTYPE; empty counts as unset.
# The prefix lives in /tmp, not in the build folder: its drive Z: is a link to /, and anything that
# walks the source tree following links (a glob, an indexer) would walk the whole file system.
# scripts/wine-env.sh names it the same way.
find_program(MORVELIN_WINE NAMES wine wine64)
if(MORVELIN_WINE)
    execute_process(COMMAND id -u OUTPUT_VARIABLE MORVELIN_UID OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE "/" "_" MORVELIN_WINEPREFIX_NAME "${CMAKE_BINARY_DIR}")
    set(MORVELIN_WINEPREFIX /tmp/morvelin-wine-${MORVELIN_UID}/${MORVELIN_WINEPREFIX_NAME})
    set(MORVELIN_WINE_ENV
        WINEPREFIX=${MORVELIN_WINEPREFIX} WINEARCH=win64 WINEDEBUG=-all
        # No .NET or Gecko installer prompts when Wine makes the prefix.
        "WINEDLLOVERRIDES=mscoree,mshtml="
        LC_ALL= LC_CTYPE=zh_CN.UTF-8)
    # On the display of the test run's Wine session, where there is one (cmake/wine-session.sh).
    set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-session.sh run
        ${CMAKE_BINARY_DIR} env ${MORVELIN_WINE_ENV} ${MORVELIN_WINE})
endif()
