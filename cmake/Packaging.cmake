# The Debian package of ZadarAvod, made by CPack from the install rules:
#   cmake --build build --target package     (make package)
# writes build/package/zadaravod_<version>_<arch>.deb, installed under /usr.
#
# Dependencies: dpkg-shlibdeps finds the shared libraries the executables and
# the converter plugin link (Qt, FFmpeg, SDL2, libzip, pugixml, espeak-ng,
# libebur128, the C++ library). What it cannot see is named here:
#   Depends     libqt6svg6         Qt's SVG plugins, which draw the window's icons
#                                  (loaded at run time, so no executable links them)
#               espeak-ng-data     the voices the speech code loads at run time
#               fonts-dejavu-core  a font for the windows (without one every glyph is
#                                  an empty box) and the one the help pages ask for
#   Recommends  flashrom           the download utility's writer: the editor and
#                                  zadaravod-cli do their work without it, the utility
#                                  says what to install when it is missing, and a user
#                                  who programs the chip with other tools need not have it
#               xdg-utils          xdg-open, which shows the help pages and the record
#                                  sheet on desktops that do not open them themselves
#   Suggests    libreoffice-calc | gnumeric   to open the record sheet
# The desktop's caches (MIME types, icons, menu entries) are refreshed by the
# triggers of shared-mime-info, hicolor-icon-theme and desktop-file-utils, so
# the package needs no maintainer scripts.
set(ZADARAVOD_PACKAGE_MAINTAINER "ZadarAvod developers" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zadaravod)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZADARAVOD_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flash image editor for the LARK40 voice-playback chip")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations are data files, which dpkg-shlibdeps does not see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, espeak-ng-data, fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "flashrom, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric")
# The first line of the Description field is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZadarAvod prepares the serial flash memory beside a LARK40 voice-playback
chip: a library of WAV, MP3 or WMA recordings, up to 220 playlists of sounds
and silences, the chip's control mode and keys, and the one flash image the
chip boots from, byte for byte as the chip expects it.
.
The package holds the Qt editor (zadaravod), the command-line tool
(zadaravod-cli) and the download utility (zadaravod-download), which writes
the image into the flash through a device programmer with flashrom and
detects, reads and verifies the chip.")

include(CPack)
