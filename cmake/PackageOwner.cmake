# Run by cpack once the zip is written: every entry's owner becomes root (user
# and group 0), so the zip doesn't depend on who built it. CMake before 4.3
# writes the builder's ids and has no setting for them.
execute_process(COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/zip-owner.py ${CPACK_PACKAGE_FILES}
                COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Owner of the entries set to root: ${CPACK_PACKAGE_FILES}")
