# The release zip (scripts/package): the stripped exe and the Chinese user guide.
if(MINGW)
  # Symbols are half the exe and no user needs them.
  target_link_options(Calderwynfell PRIVATE $<$<CONFIG:Release>:-s>)
endif()

# Windows Notepad of every supported version reads UTF-8 with BOM and CRLF.
configure_file(${PROJECT_SOURCE_DIR}/res/user_guide.txt.in ${PROJECT_BINARY_DIR}/user_guide.txt
               @ONLY NEWLINE_STYLE CRLF)

install(TARGETS Calderwynfell RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/user_guide.txt DESTINATION . RENAME "使用说明.txt")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
# The two files sit at the top of the zip: unpacking gives the exe at once.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# CPack adds files in readdir() order with the builder's uid: normalise afterwards.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CPACK_CALDERWYNFELL_PYTHON ${Python3_EXECUTABLE})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/normalize_zip.cmake)
include(CPack)
