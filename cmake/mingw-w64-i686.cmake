set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The win32 thread model: the posix one links winpthread, whose imports
# (GetTickCount64) keep the program from starting before Vista.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
find_program(QUORVANE_WINE NAMES wine)
# Where there is none, the tests that need it fail, saying so.
if(NOT QUORVANE_WINE)
  set(QUORVANE_WINE wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVANE_WINE})
