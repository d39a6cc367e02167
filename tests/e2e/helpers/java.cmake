# A stand-in for a Java runtime's bin\java.exe (fake_java.cpp), for the
# version probe: test runtimes are made by copying it into <runtime>\bin.
add_executable(java fake_java.cpp)
target_compile_options(java PRIVATE -Wall -Wextra -Werror)
target_link_options(java PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(java PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
