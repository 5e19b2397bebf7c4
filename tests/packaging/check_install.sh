#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that every packaging file
# lands where desktops look for it and passes the freedesktop.org validators.
# Usage: check_install.sh <build dir> <app id>
set -euo pipefail
build=$1
app_id=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/tarnwick \
    "share/applications/$app_id.desktop" \
    "share/metainfo/$app_id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" \
    "share/icons/hicolor/symbolic/apps/$app_id-symbolic.svg" \
    share/bash-completion/completions/tarnwick \
    "share/dbus-1/services/$app_id.service" \
    share/dbus-1/interfaces/dev.orvane.Tarnwick1.xml \
    share/man/man1/tarnwick.1; do
    [[ -s $prefix/$file ]] || fail "$file is not installed"
done
bash -n "$prefix/share/bash-completion/completions/tarnwick" || fail "the bash completion does not parse"
# D-Bus activation finds the service by the desktop entry's name and starts what it names.
service=$prefix/share/dbus-1/services/$app_id.service
grep -qx "Name=$app_id" "$service" || fail "the D-Bus service file is not named $app_id"
grep -qx "Exec=$prefix/bin/tarnwick" "$service" || fail "the D-Bus service file does not start $prefix/bin/tarnwick"

((status == 0)) || exit 1
"$(dirname "$0")/../../scripts/validate-metadata.sh" "$prefix" "$app_id"
