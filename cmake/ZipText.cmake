# Run at install time for the text files named in ZIP_TEXT (paths under the
# install folder): each is rewritten with CR LF line ends, every line, so
# that Notepad before Windows 10 1809 shows its lines. The repository keeps
# LF; a CR LF already there is not doubled.
foreach(name IN LISTS ZIP_TEXT)
    set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${name}")
    file(READ "${path}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${path}" "${text}")
endforeach()
