# Installing Tolvane like a desktop application: what packaging/ installs beside the two
# programs, and the Debian package that `make package` makes from the install (CPack's DEB
# generator, run by packaging/build-deb.sh).

# The reverse-DNS id names the desktop entry, the icon and the AppStream listing alike; software
# centres and Flatpak join them by it.
set(TOLVANE_APP_ID io.github.tolvane.Tolvane)
set(TOLVANE_PACKAGE_NAME tolvane)
set(TOLVANE_HOMEPAGE https://github.com/tolvane/tolvane)
set(TOLVANE_MAINTAINER "The Tolvane developers <tolvane@users.noreply.github.com>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${PROJECT_BINARY_DIR}/packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${TOLVANE_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "The Tolvane developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TOLVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator that works line by line on a calculation sheet")
# Debian shows these lines as they are: keep them under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvane is a desktop calculator whose window is a dark calculation sheet:
one expression per line; Enter or \"=\" rewrites the line as the expression
followed by its result, and earlier lines stay on the sheet to be edited and
evaluated again.

It has the four operations, percent, powers, factorials, variables for one
line and 42 functions: roots, logarithms, trigonometry, rounding, statistics,
areas and distances, series, a monthly mortgage payment and personal income
tax. The interface is in Chinese.

The package also holds tolvane-eval, which evaluates lines from a terminal or
a script exactly as the sheet does.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as Debian strips its own packages (packaging/debian/strip.sh).
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tolvane_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TOLVANE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOLVANE_MAINTAINER}")
# The libraries come from dpkg-shlibdeps on the binaries. What no binary links but the program
# needs to open a window is named here: Qt loads its platform plugins (xcb, wayland) at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The look, not the start: a CJK font so Chinese never shows as boxes, the condensed face of the
# palette's captions, and Qt's Chinese translations so standard buttons read "确定".
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-wqy-microhei | fonts-noto-cjk, fonts-dejavu-extra, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
