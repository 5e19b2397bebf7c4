# The Debian package, built by scripts/package.sh with `cpack`. Library
# dependencies come from dpkg-shlibdeps; the programs Tarnwick runs or talks to
# are recommended, as it works without them with less to tell.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "Orvane <tarnwick@orvane.dev>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://orvane.dev/tarnwick/)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows which app uses your camera or microphone")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarnwick watches every camera and microphone and lights a halo at the top
centre of the screen naming the app that uses one. It keeps a local history
and has a privacy switch that revokes camera access and silences microphones
at the source. Nothing leaves your computer.")
# gstreamer1.0-plugins-good holds the camera source Qt Multimedia reads for the mirror.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "pipewire-bin, xdg-desktop-portal, pulseaudio | pipewire-pulse, gstreamer1.0-plugins-good")
include(CPack)
