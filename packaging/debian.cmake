# The Debian package, made by scripts/package with CPack: the program in
# /usr/lib/tablewright with its optional files, a link in /usr/bin, the man
# page, the bash completion, the desktop entry and icon, the odbcinst
# template (the install rules of src/app) and Debian's copyright and
# changelog (here). The tests and the Oracle stand-in have no install rules,
# so they never get into it.
set(TW_DEBIAN_RELEASE 1)
set(TW_DEBIAN_VERSION ${PROJECT_VERSION}-${TW_DEBIAN_RELEASE})

# The changelog's newest entry names the package's version: a new project
# version needs a new entry first.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog TW_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT TW_CHANGELOG_HEAD MATCHES "^tablewright \\(${TW_DEBIAN_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog: the newest entry is not (${TW_DEBIAN_VERSION}): "
        "${TW_CHANGELOG_HEAD}")
endif()

set(TW_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tablewright)
set(TW_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_command(OUTPUT ${TW_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/changelog
        ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    VERBATIM)
add_custom_target(tablewright_changelog ALL DEPENDS ${TW_CHANGELOG_GZ})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${TW_CHANGELOG_GZ} DESTINATION ${TW_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tablewright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TW_DEBIAN_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Team Vantorell <support@vantorell.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: what dpkg-shlibdeps finds the binaries need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-mariadb")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy tables between MySQL and Oracle")
set(CPACK_PACKAGE_DESCRIPTION "\
Tablewright copies tables between a MySQL (MariaDB) database and an Oracle
database, in either direction, and drops and renames tables on either side.
In its window both databases are listed side by side; its list and copy
commands do the same from a terminal, a script or cron, without a display.

It reaches both databases through unixODBC: MariaDB Connector/ODBC (or
MySQL Connector/ODBC) and Oracle Instant Client's ODBC driver, registered
under the driver names of the odbcinst.ini template in
/usr/share/tablewright.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
