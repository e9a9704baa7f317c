# Installation as a desktop application, and the Debian package made from it
# with `cpack -G DEB` in the build folder.
include(GNUInstallDirs)

install(TARGETS suffarr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry, and the icon it names, in the hicolor theme that every
# desktop falls back on.
install(FILES resources/suffarr.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48)
    install(FILES resources/icons/suffarr-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME suffarr.png)
endforeach()
install(FILES resources/icons/suffarr.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME suffarr)
set(CPACK_PACKAGE_VENDOR "suffarr developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "step-by-step suffix array construction and substring search")
# Debian wants the long description in lines of under 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A teaching program that shows, one click at a time, how the suffix array\n"
    "of a text is built by prefix doubling and how a pattern is then found with\n"
    "it. Every round of the construction lists the suffixes in their current\n"
    "order with their equivalence classes; every step of the search narrows the\n"
    "range of sorted suffixes that begin with the pattern read so far, until the\n"
    "occurrences of the pattern are marked in the text. The program speaks\n"
    "Russian.")
set(CPACK_STRIP_FILES ON)

if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "suffarr developers <suffarr@example.org>")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executable links are found by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(SUFFARR_QT_MAJOR STREQUAL "6")
    # Qt 6 on Debian ships its platform plugins (xcb among them) apart from
    # the libraries, and the window cannot open without one.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()

include(CPack)
