# Warnings, static runtime for MinGW, reproducible output, and the optional sanitizers.
add_library(calderwynfell_options INTERFACE)

option(CALDERWYNFELL_WERROR "Treat warnings as errors (the presets the test script uses)" OFF)

if(MSVC)
  target_compile_options(calderwynfell_options INTERFACE /W4 /permissive- /utf-8)
  if(CALDERWYNFELL_WERROR)
    target_compile_options(calderwynfell_options INTERFACE /WX)
  endif()
else()
  # Of the stricter warnings, these two cost a few casts and guard the 32-bit
  # address and count arithmetic; -Wshadow would mostly flag the window
  # procedures' Win32 "message" parameter against the MainWindow field, and
  # sign conversion flags every int index into a container.
  target_compile_options(calderwynfell_options INTERFACE -Wall -Wextra -Wpedantic -Wconversion -Wold-style-cast)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(calderwynfell_options INTERFACE -Wno-sign-conversion)
  endif()
  if(CALDERWYNFELL_WERROR)
    target_compile_options(calderwynfell_options INTERFACE -Werror)
  endif()
  # Build paths must not reach the binaries: two checkouts give the same bytes.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()

if(MINGW)
  # The exe ships as one downloaded file: optimised for size, with every unused
  # function and datum dropped at link time. Most time goes to the system (GDI,
  # the list view, ICMP): in the UI benchmark the paints cost the same, and a
  # progress tick in list mode about 0.2 ms more, a tenth of its budget.
  target_compile_options(calderwynfell_options INTERFACE $<$<CONFIG:Release>:-Os> -ffunction-sections
                         -fdata-sections)
  target_link_options(calderwynfell_options INTERFACE -Wl,--gc-sections)
  # Hardening that this toolchain can give: stack canaries in every function
  # with an array or an address-taken local (the exe seeds its canary in
  # ui/stack_guard.cpp, the tests through libssp), and, stated rather than left
  # to ld's defaults, ASLR with high-entropy addresses and DEP.
  target_compile_options(calderwynfell_options INTERFACE -fstack-protector-strong)
  target_link_options(calderwynfell_options INTERFACE -fstack-protector-strong -Wl,--dynamicbase
                      -Wl,--high-entropy-va -Wl,--nxcompat)
  # Windows 10 is the oldest system it runs on: a subsystem version below 6.0
  # and no terminal-server awareness would have Remote Desktop hosts apply
  # compatibility shims to the window.
  target_link_options(calderwynfell_options INTERFACE -Wl,--tsaware -Wl,--major-subsystem-version,6
                      -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,6 -Wl,--minor-os-version,0)
  if(CMAKE_INTERPROCEDURAL_OPTIMIZATION AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The release is linked whole (16 KB smaller, and quicker to build, since
    # code is generated once). GCC 12 fails with an internal error when it
    # splits the unit into partitions for MinGW; one partition is fine.
    target_link_options(calderwynfell_options INTERFACE -flto-partition=one)
  endif()
  # A bare Windows has no libstdc++/libgcc/winpthread DLLs: link them in.
  target_link_options(calderwynfell_options INTERFACE -static -static-libgcc -static-libstdc++)
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
  # The PE header's link time would differ on every build.
  add_link_options(-Wl,--no-insert-timestamp)
endif()

if(CALDERWYNFELL_SANITIZE AND NOT WIN32)
  list(JOIN CALDERWYNFELL_SANITIZE "," _sanitizers)
  add_compile_options(-fsanitize=${_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_sanitizers})
endif()
