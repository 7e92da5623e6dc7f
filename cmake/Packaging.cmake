# The Debian package, made by CPack from this build: the three programs in /usr/bin, the language
# files in /usr/share/ombrix/lang (where an installed ombrix looks for them, ../share/ombrix/lang
# beside its own folder), a desktop entry, the icon and the manual pages.
#
#   scripts/package.sh             builds and prints the path of the .deb
#   cd build && cpack -G DEB       packages what is built already (a Ninja build tree has no
#                                  step that cpack would build first)

# app/ and ftpconsole/ install their own programs; the copier has no rule of its own.
install(TARGETS ombrixcopy RUNTIME DESTINATION bin)

# Only the language files: every file of the folder shows up in the language selector.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lang/ DESTINATION share/ombrix/lang
    FILES_MATCHING PATTERN "*.txt")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/ombrix.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/ombrix.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/man/ombrix.1 DESTINATION share/man/man1)
if(TARGET ombrixftp)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/man/ombrixftp.1 DESTINATION share/man/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Ombrix)
set(CPACK_PACKAGE_CONTACT "Ombrix developers <info@ombrix.cz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "incremental backup into per-file 7-Zip archive sets")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ombrix backs up chosen folders and files to a local or network folder, an FTP server or a
network disk reached over FTP. Every run writes one archive set: a folder of per-file 7-Zip
archives and a catalog from which the state of that run can be restored. Runs after the first
are incremental, and an interrupted run resumes where it stopped. Sets can be restored whole or
in part, checked, and merged to keep their number in check. Backups can be scheduled from the
window (a systemd user timer).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.ombrix.cz/")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The build type keeps debug information; the package carries the programs without it.
set(CPACK_STRIP_FILES ON)

# What the programs load at run time on Debian 12, named by hand so the list is exactly this:
# the C and C++ runtime, Qt 6 Core, Gui and Widgets (libqt6gui6 also holds the xcb and offscreen
# platform plugins, which pulls in what those need), the Poco libraries the engine links, zlib,
# libarchive (7z headers read in process) and 7-Zip's 7za (p7zip-full), which every archive
# operation starts. The package test checks that every library the packaged programs need
# directly belongs to one of these.
set(OMBRIX_DEBIAN_DEPENDS
    libc6
    libgcc-s1
    libstdc++6
    libqt6core6
    libqt6gui6
    libqt6widgets6
    libpocofoundation80
    libpoconet80
    libpoconetssl80
    libpococrypto80
    libpocoutil80
    zlib1g
    libarchive13
    p7zip-full)
list(JOIN OMBRIX_DEBIAN_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
