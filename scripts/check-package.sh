#!/usr/bin/env bash
# Installs a Debian package of Tarnwick with dpkg and checks it as installed:
# `tarnwick --help`, the manual page, the desktop entry and AppStream data
# through their validators, and --snapshot-windows inside the desktop rig.
# Without CI set, the package is removed again afterwards when it was not
# installed before.
# Usage: scripts/check-package.sh <tarnwick_*.deb>
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")

as_root=()
((EUID == 0)) || as_root=(sudo)
was_installed=$(dpkg-query -W -f='${db:Status-Status}' tarnwick 2>/dev/null || true)
folder=$(mktemp -d)
cleanup() {
    rm -rf "$folder"
    if [[ -z ${CI:-} && $was_installed != installed ]]; then
        "${as_root[@]}" dpkg -r tarnwick >/dev/null
    fi
}
trap cleanup EXIT
"${as_root[@]}" dpkg -i "$deb" >&2
app_id=$(dpkg -L tarnwick | sed -n 's|^/usr/share/applications/\(.*\)\.desktop$|\1|p')

fail() {
    echo "check-package: $*" >&2
    exit 1
}
[[ $(command -v tarnwick) == /usr/bin/tarnwick ]] || fail "tarnwick on PATH is $(command -v tarnwick)"
/usr/bin/tarnwick --help | grep -q -- --snapshot-windows || fail "the installed tarnwick --help lists no --snapshot-windows"
dpkg -L tarnwick | grep -q '/man1/tarnwick.1' || fail "no manual page"
[[ -n $app_id ]] || fail "no desktop entry"
grep -qx "Exec=/usr/bin/tarnwick" "/usr/share/dbus-1/services/$app_id.service" ||
    fail "no D-Bus service file starting /usr/bin/tarnwick"
scripts/validate-metadata.sh /usr "$app_id"

scripts/desktop-rig.sh /usr/bin/tarnwick --snapshot-windows "$folder/snapshots" >&2 ||
    fail "the installed tarnwick --snapshot-windows failed"
for scene in halo-camera history; do
    [[ -s $folder/snapshots/$scene.png ]] || fail "no $scene.png among the snapshots"
done
echo "check-package: $(basename "$deb"): the installed tarnwick answers --help, renders its snapshots and its metadata is valid" >&2
