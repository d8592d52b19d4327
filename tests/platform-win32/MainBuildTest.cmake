# Included by the main (Linux) build: one test that cross-builds the Win32 layer and runs
# its tests under Wine. It is skipped, saying why, where mingw-w64 or Wine is missing.
find_program(TILLORA_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(TILLORA_WINE_PROGRAM wine)
if(NOT TILLORA_MINGW_CXX OR NOT TILLORA_WINE_PROGRAM)
    message(STATUS "win32_platform_under_wine will be skipped: it needs "
                   "x86_64-w64-mingw32-g++-posix (mingw-w64) and wine")
endif()

add_test(NAME win32_platform_under_wine
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/win32
                 "$<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>"
         COMMAND_EXPAND_LISTS)
# The first start of Wine creates its prefix, which takes a while.
set_tests_properties(win32_platform_under_wine PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
