#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test Tarnwick.
# Packages that are already installed are left alone; apt is only asked when
# something is missing.
set -euo pipefail

PACKAGES=(
    # build
    build-essential
    cmake
    ninja-build
    pkg-config
    git
    qt6-base-dev
    qt6-base-dev-tools
    qt6-svg-dev          # also provides libqt6svg6-dev, which is only a virtual name in Debian 12
    qt6-multimedia-dev   # the mirror's camera picture
    qt6-tools-dev        # Qt6LinguistTools for CMake
    qt6-l10n-tools       # lupdate, lrelease: the text template and translations
    libgl-dev
    libpulse-dev         # includes libpulse-mainloop-glib
    libglib2.0-dev
    libx11-dev
    libxext-dev
    libxcb1-dev
    libxcb-xinput-dev    # XInput2: clicks in other applications close the hub
    libxcb-res0-dev      # X-Resource: the process behind a window that names none
    libxcb-xtest0-dev    # XTEST: the menu self-check types real keys
    libwayland-dev       # the halo's layer-shell surface; the rig's virtual pointer
    help2man             # the manual page, from --help
    # the Debian package: scripts/package.sh
    dpkg-dev             # dpkg-shlibdeps
    file                 # CPack finds the binaries to hand dpkg-shlibdeps with it
    # fuzzing: scripts/fuzz.sh
    clang-14
    libclang-rt-14-dev   # libFuzzer and the sanitizer runtimes for clang
    # run
    fonts-dejavu-core
    xdg-desktop-portal   # xdg-permission-store, activated on the session bus
    # checks of the installed desktop entry and AppStream data
    desktop-file-utils
    appstream
    # test rig: scripts/desktop-rig.sh
    xvfb
    xauth
    x11-utils            # xdpyinfo, xprop, xwininfo
    xdotool
    openbox
    trayer
    dbus
    dbus-x11
    libglib2.0-bin       # gdbus
    pulseaudio
    pulseaudio-utils     # pactl, parecord
    pipewire-bin
    pipewire-pulse       # PipeWire's pulse server: the capture tests run against it too
    wireplumber          # PipeWire's session manager, which links streams to devices
    bubblewrap           # sandboxes with their own pid namespace, for recorders that report in-sandbox pids
    imagemagick          # import, for screenshots
    weston               # headless Wayland compositors with XWayland: RIG_DISPLAY=weston, sway
    xwayland
    sway
    grim                 # pictures of sway's screen
    qt6-wayland          # Qt's Wayland platform, for the native client under the halo in the sway rig
    x11-xserver-utils    # xhost: sway's XWayland lets the rig's user in
    procps               # pgrep, ps
    python3
    python3-dbusmock     # stand-in D-Bus services: NetworkManager, a refusing permission store, logind, a screen saver, UDisks
    gsettings-desktop-schemas  # the desktop settings the tools switch (dark mode) ...
    libgtk-3-common      # ... and the GTK file chooser's (hidden files)
    dconf-service        # the settings store the tools write to, activated on the session bus
    dconf-gsettings-backend
)

missing=()
for package in "${PACKAGES[@]}"; do
    if [[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]]; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#PACKAGES[@]} packages are installed" >&2
    exit 0
fi

as_root=()
if ((EUID != 0)); then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: not root and no sudo; install these as root: ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo)
fi

echo "install-deps: installing ${missing[*]}" >&2
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
