# The release zip, made by `cmake --build --preset win32 --target package`:
# KELBRANO-<version>-win32.zip with KELBRANO.EXE, KELBRANO-MENU.EXE (which puts
# KELBRANO.EXE in the right-click menu), README.md, LICENSE and COMMIT.txt
# (the commit it is built from) at its top level and, in docs/, the pages the
# README links to with their pictures, so that its links work in the unpacked
# zip as in the repository (-win64.zip
# from the win64 preset, which holds the x86-64 build). Two builds of the same
# sources give the same bytes, wherever, whenever and by whomever they are
# made. Its text files have CR LF line ends; beside it, its SHA-256.
install(TARGETS KELBRANO RUNTIME DESTINATION . COMPONENT 1-program)
install(TARGETS KELBRANO-MENU RUNTIME DESTINATION . COMPONENT 1-program-menu)
install(FILES README.md DESTINATION . COMPONENT 2-readme)
install(CODE "set(ZIP_TEXT README.md)\ninclude(${CMAKE_CURRENT_LIST_DIR}/ZipText.cmake)" COMPONENT 2-readme)
install(FILES LICENSE DESTINATION . COMPONENT 3-licence)
install(CODE "set(ZIP_TEXT LICENSE)\ninclude(${CMAKE_CURRENT_LIST_DIR}/ZipText.cmake)" COMPONENT 3-licence)
# Every page and picture of docs/, which the README's links lead to. One
# component, so one entry for the folder; cpack writes a component's entries
# sorted by name. The folder's mode is set, not left to the builder's umask.
install(DIRECTORY docs DESTINATION . COMPONENT 4-docs
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                              WORLD_EXECUTE
        FILES_MATCHING PATTERN *.md PATTERN *.png)
# The pages in CR LF, as README.md and LICENSE (the pictures as they are).
install(CODE "file(GLOB ZIP_TEXT RELATIVE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\"
                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/docs/*.md\")
              include(${CMAKE_CURRENT_LIST_DIR}/ZipText.cmake)" COMPONENT 4-docs)

# COMMIT.txt: the commit the zip is built from (cmake/PackageCommit.cmake).
set(KELBRANO_COMMIT "" CACHE STRING "The commit COMMIT.txt names in the zip; read from git when empty")
install(CODE "set(KELBRANO_COMMIT \"${KELBRANO_COMMIT}\")
              set(KELBRANO_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
              set(KELBRANO_VERSION ${PROJECT_VERSION})
              include(${CMAKE_CURRENT_LIST_DIR}/PackageCommit.cmake)" COMPONENT 5-commit)

# The dialog's banner names the version as well; the two must agree.
file(STRINGS ${PROJECT_SOURCE_DIR}/messages/MessagesTexts.cpp banner REGEX "KELBRANO\\.EXE v\\.")
if(NOT banner MATCHES "v\\.${PROJECT_VERSION_MAJOR}\\.${PROJECT_VERSION_MINOR}\\\\n")
    message(FATAL_ERROR "The banner in messages/MessagesTexts.cpp (${banner}) does not name version "
                        "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR} of project() in CMakeLists.txt")
endif()

set(CPACK_GENERATOR ZIP)
math(EXPR KELBRANO_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win${KELBRANO_BITS})
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# One component a file, all in one zip: the entries are written in the order
# of the components' names, not in the order a folder happens to list them.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# Entries owned by root: CMake 4.3 and later do it with these; for earlier
# ones, which write the builder's ids, a script sets them once the zip is made.
set(CPACK_ARCHIVE_UID 0)
set(CPACK_ARCHIVE_GID 0)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageOwner.cmake)
# KELBRANO-<version>-win32.zip.sha256 beside the zip: its hash, two spaces, its name.
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Read by cpack when it runs: fixes the entries' time stamps.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageTime.cmake)
include(CPack)
