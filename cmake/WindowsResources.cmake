# What a Windows program carries in its file: its icon (an .ico made here from the
# packaging PNGs with icotool, from the icoutils package), a manifest (run as the user who
# starts it; long paths) and the version information Explorer and "Apps & features" show.
enable_language(RC)
find_program(TILLORA_ICOTOOL icotool)

# tillora_add_windows_resources(<target> <title>): <target> is also the icon's name in
# packaging/icons.
function(tillora_add_windows_resources target title)
    if(NOT TILLORA_ICOTOOL)
        message(FATAL_ERROR "icotool is missing (it makes the programs' .ico files): "
                            "run scripts/install-deps.sh windows, or apt-get install icoutils")
    endif()
    set(icons ${PROJECT_SOURCE_DIR}/packaging/icons)
    set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
    add_custom_command(OUTPUT ${ico}
        COMMAND ${TILLORA_ICOTOOL} -c -o ${ico} ${icons}/48/${target}.png ${icons}/256/${target}.png
        DEPENDS ${icons}/48/${target}.png ${icons}/256/${target}.png
        VERBATIM)

    set(TILLORA_RC_NAME ${target})
    set(TILLORA_RC_TITLE ${title})
    set(TILLORA_RC_ICON ${ico})
    set(TILLORA_RC_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    # The resource compiler does not report the files a .rc pulls in.
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${ico};${TILLORA_RC_MANIFEST}")
    target_sources(${target} PRIVATE ${rc})
endfunction()
