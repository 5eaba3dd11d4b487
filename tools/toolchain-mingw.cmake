# Cross build for Windows with MinGW-w64's posix-thread compilers
# (GoogleTest needs std::mutex, which the win32 thread model lacks).
# ORLO_ARCH picks the target: i686 (the product) or x86_64.
if(NOT ORLO_ARCH)
  set(ORLO_ARCH i686)
endif()
set(ORLO_ARCH ${ORLO_ARCH} CACHE STRING "Target architecture: i686 or x86_64")
if(NOT ORLO_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "ORLO_ARCH must be i686 or x86_64, not '${ORLO_ARCH}'")
endif()
# Toolchain files run again for every try-compile: pass the choice on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORLO_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORLO_ARCH})
set(CMAKE_C_COMPILER ${ORLO_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORLO_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${ORLO_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORLO_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
