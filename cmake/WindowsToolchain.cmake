# Cross-compiles for 64-bit Windows with Debian's MinGW-w64. The -posix compilers are the
# ones whose runtime has std::thread and std::mutex, which the read-ahead threads need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRINDLEQUAY_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${BRINDLEQUAY_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINDLEQUAY_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINDLEQUAY_MINGW}-windres)
set(CMAKE_AR ${BRINDLEQUAY_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${BRINDLEQUAY_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come only from the MinGW root and the folders the caller adds
# (BRINDLEQUAY_WINDOWS_PREFIX); tools such as moc come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLEQUAY_MINGW} $ENV{BRINDLEQUAY_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
