# The Debian package, built by scripts/package.sh with `cpack -G DEB`.
# Its dependencies come from the binaries (dpkg-shlibdeps), plus what they
# load at run time and no linker sees.
set(RAINNODE_MAINTAINER "Setarome maintainers <setarome@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME setarome)
set(CPACK_PACKAGE_CONTACT "${RAINNODE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulated UECS weather node that broadcasts rain readings")
set(CPACK_PACKAGE_DESCRIPTION
    "Makes a Linux PC act as a UECS weather node for testing greenhouse controllers:
it broadcasts a rain reading as a UECS CCM data message to every controller
on the network segment, on demand and as often as wanted, from a fixed value,
a periodic or random pattern, or the playback of a file.

The package holds the window program (setarome), the same node without a
window for benches, scripts and services (setarome-cli), a window that
watches the segment's CCMs with live charts (setarome-monitor), systemd
units that run the node as a service, and a Wireshark dissector for UECS
messages.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its display plugins at run time; the panel's Japanese font and
# Qt's own Japanese texts make it look as it should.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# The dissector is read by Wireshark or tshark when either is installed.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wireshark | tshark")

# Debian's policy: the copyright file and the package's own changelog beside
# the documentation.
set(deb_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
configure_file(packaging/deb/changelog changelog.Debian @ONLY)
add_custom_command(OUTPUT changelog.Debian.gz
  COMMAND gzip -9nf --keep changelog.Debian
  DEPENDS "${CMAKE_BINARY_DIR}/changelog.Debian" VERBATIM)
add_custom_target(deb_changelog ALL DEPENDS changelog.Debian.gz)
install(FILES packaging/deb/copyright "${CMAKE_BINARY_DIR}/changelog.Debian.gz"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/setarome")

include(CPack)
