# Warnings, static runtime for MinGW, and the optional sanitizers.
add_library(calderwynfell_options INTERFACE)

if(MSVC)
  target_compile_options(calderwynfell_options INTERFACE /W4 /permissive- /utf-8)
else()
  target_compile_options(calderwynfell_options INTERFACE -Wall -Wextra -Wpedantic)
endif()

if(MINGW)
  # A bare Windows has no libstdc++/libgcc/winpthread DLLs: link them in.
  target_link_options(calderwynfell_options INTERFACE -static -static-libgcc -static-libstdc++)
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
endif()

if(CALDERWYNFELL_SANITIZE AND NOT WIN32)
  list(JOIN CALDERWYNFELL_SANITIZE "," _sanitizers)
  add_compile_options(-fsanitize=${_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_sanitizers})
endif()
