# Cross build for Windows x64 with Debian's clang, against the libstdc++ of the
# posix-threads MinGW-w64 GCC (the win32-threads one has no std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The posix GCC says where its libraries and C++ headers are.
execute_process(COMMAND ${triple}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(gcc_lib_dir "${libgcc}" DIRECTORY)
set(cxx_include "${gcc_lib_dir}/include/c++")
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${cxx_include} -isystem ${cxx_include}/${triple} -isystem ${cxx_include}/backward")
# The compile flags reach the link line too, where -nostdinc++ has no use.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_lib_dir} -Wno-unused-command-line-argument")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/quiet_link.sh)
# Last on the link line, after everything that needs them; -pthread also puts
# winpthread after libgcc_eh, whose thread-local emulation calls it.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lstdc++ -lwinpthread")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -pthread")

set(CMAKE_CROSSCOMPILING_EMULATOR env;WINEDEBUG=-all;wine)
