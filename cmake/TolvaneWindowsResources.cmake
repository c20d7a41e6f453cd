# tolvane_windows_resources(<target> DESCRIPTION <text> [ICON <file.ico>] [MANIFEST <file>])
#
# Gives a Windows program its resources (cmake/windows_resources.rc.in): a version resource with
# the product name and the version of project(), and optionally the icon Explorer, the taskbar
# and the Start menu show and a manifest (configured with @PROJECT_VERSION@). Does nothing
# elsewhere.
set(TOLVANE_PRODUCT_NAME "Tolvane计算器")
set(TOLVANE_VENDOR "The Tolvane developers")

function(tolvane_windows_resources target)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(arg "" "DESCRIPTION;ICON;MANIFEST" "" ${ARGN})
    set(RC_FILE_NAME ${target}.exe)
    set(RC_INTERNAL_NAME ${target})
    set(RC_DESCRIPTION "${arg_DESCRIPTION}")
    set(RC_EXTRA "")
    if(arg_ICON)
        string(APPEND RC_EXTRA "1 ICON \"${arg_ICON}\"\n")
    endif()
    if(arg_MANIFEST)
        set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
        configure_file(${arg_MANIFEST} ${manifest} @ONLY)
        # Resource type 24 is RT_MANIFEST; id 1 is the one Windows reads for a program.
        string(APPEND RC_EXTRA "1 24 \"${manifest}\"\n")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows_resources.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
