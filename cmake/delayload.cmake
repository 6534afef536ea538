# Import libraries that load a DLL at its first call rather than at start-up.
# Only the file choosers need comdlg32 and msvfw32, and loading them (with
# what they pull in) was the larger part of the time to the first window.
# 32-bit names carry the stdcall decoration, which -k strips from the import.
# ld drops an import thunk nothing calls by name, yet a delay-load slot
# starts out pointing at that thunk: a call through the slot then jumps to
# zero. Each thunk is therefore named as wanted (-u) beside the library.
function(vireo_delay_library out dll)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/delayload/${dll}.def)
    set(lib ${CMAKE_CURRENT_BINARY_DIR}/delayload/lib${dll}_delay.a)
    set(exports "")
    set(keep "")
    foreach(entry ${ARGN})
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 name)
        list(GET parts 1 bytes)
        if(VIREO_MINGW_ARCH STREQUAL "i686")
            string(APPEND exports "${name}@${bytes}\n")
            list(APPEND keep "-Wl,-u,_${name}@${bytes}")
        else()
            string(APPEND exports "${name}\n")
            list(APPEND keep "-Wl,-u,${name}")
        endif()
    endforeach()
    file(WRITE ${def} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}")
    add_custom_command(OUTPUT ${lib}
        COMMAND ${VIREO_MINGW_ARCH}-w64-mingw32-dlltool -k --input-def ${def} --output-delaylib ${lib}
        DEPENDS ${def}
        COMMENT "Delay-load import library for ${dll}.dll")
    add_custom_target(${dll}_delay DEPENDS ${lib})
    set(${out} ${lib} ${keep} PARENT_SCOPE)
endfunction()
