# CPack post-build script: gives the zip a fixed entry order, times and owner.
execute_process(COMMAND ${CPACK_CALDERWYNFELL_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/normalize_zip.py ${CPACK_PACKAGE_FILES}
                COMMAND_ERROR_IS_FATAL ANY)
