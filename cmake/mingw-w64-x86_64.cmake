# Cross-compiles the Windows tree with Debian's mingw-w64 (x86_64, POSIX
# threads model so std::thread and std::mutex are available) and runs what
# it builds under Wine through tools/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TVN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TVN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TVN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TVN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The binaries must run without any mingw DLL beside them: libgcc, libstdc++
# and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# ctest and add_test run every Windows program through Wine, in a prefix that
# belongs to this build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run;--prefix;${CMAKE_BINARY_DIR}/wineprefix")
