# Cross build for 64-bit Windows with the posix thread model (std::mutex and
# std::thread, which GoogleTest needs, are missing from the win32 model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TALVEN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVEN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVEN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVEN_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TALVEN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
