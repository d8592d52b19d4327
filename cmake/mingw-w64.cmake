# Cross-building for 64-bit Windows with mingw-w64 on Linux. The "-posix" flavour of the
# compilers is the one with std::thread; programs are linked statically so they run
# without the compiler's DLLs (under Wine here, or copied to a Windows machine).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TILLORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TILLORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TILLORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TILLORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TILLORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Cross-built tests run through Wine on this machine.
find_program(TILLORA_WINE wine)
if(TILLORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TILLORA_WINE})
endif()
