# The Debian package: cpack -G DEB in the build folder gives velmora_<version>_<arch>.deb
# and, from a build with debug information, velmora-dbgsym with the symbols.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_CONTACT "Velmora developers <developers@velmora.io>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora developers <developers@velmora.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "study a greedy common-subsequence method with a counted look-ahead")
set(CPACK_PACKAGE_DESCRIPTION
"Velmora finds a common subsequence of two texts with a greedy left-to-right
walk that pairs equal characters and, where they differ, weighs each decision
with a recursive length function that counts its own invocations. The window
shows the subsequence found, its length, the number of invocations and the
unmatched characters in light green; selecting a character selects its
partners in the other boxes.

The companion command velmora-cli runs the same engine for scripts and counts
the invocations exactly at any size.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora.io")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-wayland, qt6-translations-l10n, fonts-noto-cjk, fonts-arphic-uming, fonts-arphic-ukai, fonts-dejavu-core")
# The binaries are stripped and their debug symbols go into velmora-dbgsym.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# Installed files are readable by all and written by root alone, as Debian requires.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
