# Cross-building for 64-bit Windows with mingw-w64 on Linux. The "-posix" flavour of the
# compilers is the one with std::thread. Programs link the compiler's runtime as DLLs
# (libstdc++-6, libgcc_s_seh-1, libwinpthread-1), the same ones the shared Qt uses: one
# C++ runtime per process. scripts/build-windows-deps.sh copies them beside Qt's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TILLORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TILLORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TILLORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TILLORA_MINGW_TRIPLE}-windres)

# Qt and libcurl for Windows live in the cache scripts/build-windows-deps.sh fills; the
# folder comes from TILLORA_WINDEPS (a cache variable or the environment).
set(TILLORA_WINDEPS "" CACHE PATH "Qt and libcurl built for Windows (scripts/build-windows-deps.sh)")
if(NOT TILLORA_WINDEPS AND NOT "$ENV{TILLORA_WINDEPS}" STREQUAL "")
    set(TILLORA_WINDEPS "$ENV{TILLORA_WINDEPS}" CACHE PATH
        "Qt and libcurl built for Windows (scripts/build-windows-deps.sh)" FORCE)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TILLORA_WINDEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${TILLORA_MINGW_TRIPLE} ${TILLORA_WINDEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-built tests run through Wine on this machine.
find_program(TILLORA_WINE wine)
if(TILLORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TILLORA_WINE})
endif()
