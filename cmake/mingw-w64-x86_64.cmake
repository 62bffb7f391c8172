set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The win32 thread model: the posix one links winpthread, whose imports
# (GetTickCount64) keep the program from starting before Vista.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Wine's 64-bit loader itself: the wine script starts the 32-bit one first,
# which a machine without 32-bit support cannot run.
find_program(QUORVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine)
# Where there is none, the tests that need it fail, saying so.
if(NOT QUORVANE_WINE)
  set(QUORVANE_WINE wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVANE_WINE})
