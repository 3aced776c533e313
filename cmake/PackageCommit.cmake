# Run at install time, as the zip is made: writes COMMIT.txt, which names the
# commit the zip was built from, so that its bytes can be built again
# (docs/developing.md, "The release zip"). KELBRANO_COMMIT when it is set
# (tests/reproducible/check.sh sets it for its copy of the sources, which has
# no .git); else git's HEAD where there is a .git, followed by "-modified"
# when the tree has changes not committed; else "unknown". CR LF, as the
# zip's other text files.
if(KELBRANO_COMMIT STREQUAL "")
    set(KELBRANO_COMMIT unknown)
    if(EXISTS "${KELBRANO_SOURCE_DIR}/.git")
        execute_process(COMMAND git rev-parse --verify HEAD WORKING_DIRECTORY "${KELBRANO_SOURCE_DIR}"
                        OUTPUT_VARIABLE head RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(NOT failed)
            set(KELBRANO_COMMIT ${head})
            execute_process(COMMAND git status --porcelain WORKING_DIRECTORY "${KELBRANO_SOURCE_DIR}"
                            OUTPUT_VARIABLE changes ERROR_QUIET)
            if(NOT changes STREQUAL "")
                string(APPEND KELBRANO_COMMIT -modified)
            endif()
        endif()
    endif()
endif()
file(WRITE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/COMMIT.txt"
     "KELBRANO ${KELBRANO_VERSION} was built from the sources of this commit:\r\n"
     "\r\n"
     "    ${KELBRANO_COMMIT}\r\n"
     "\r\n"
     "\"-modified\" after it: with changes not committed; \"unknown\": not built from a git checkout.\r\n"
     "How to build the same bytes again: docs/developing.md, \"The release zip\".\r\n")
# Its mode as install() gives the other files, not the builder's umask.
file(CHMOD "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/COMMIT.txt" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
