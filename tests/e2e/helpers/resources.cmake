# Resource libraries for the wrong-disk notice cases, as a medium carries
# them: a string table and no code. The cases copy them onto test media under
# the names the launcher looks for (install\setupD.dll, install\setupus.dll...).
set(NOTICE_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set(NOTICE_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/resources)

foreach(name german english without_string composing_nothing hostile)
    add_library(notice_${name} SHARED ${NOTICE_RESOURCES}/notice_${name}.rc)
    set_target_properties(notice_${name} PROPERTIES LINKER_LANGUAGE C PREFIX ""
                          RUNTIME_OUTPUT_DIRECTORY ${NOTICE_OUTPUT} ARCHIVE_OUTPUT_DIRECTORY ${NOTICE_OUTPUT})
    # No runtime and no entry point: nothing in it can run.
    target_link_options(notice_${name} PRIVATE -nostdlib -Wl,-e,0)
endforeach()

# A library with a string table and code that ends its loader with exit code
# 77: planted where the library search looks, it shows whether the launcher
# runs what it loads.
add_library(notice_with_code SHARED ${NOTICE_RESOURCES}/notice_with_code.c ${NOTICE_RESOURCES}/notice_with_code.rc)
set_target_properties(notice_with_code PROPERTIES PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${NOTICE_OUTPUT} ARCHIVE_OUTPUT_DIRECTORY ${NOTICE_OUTPUT})
target_link_options(notice_with_code PRIVATE -static-libgcc)
