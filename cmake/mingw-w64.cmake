# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads)
# and runs the results under Wine. FINDARO_WINDOWS_PREFIXES names the folders
# that hold Qt and the other libraries built for Windows (scripts/windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# Try-compiles see only the toolchain file, so pass the prefixes on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES FINDARO_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet} ${FINDARO_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()

# Qt for Windows is built against the host's own Qt tools (moc, rcc, uic),
# whose package files sit in the host's multiarch folder, which a cross
# search would not look into.
set(QT_HOST_PATH /usr CACHE PATH "Host Qt that provides the build tools")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Package files of the host Qt")
