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
    share/man/man1/tarnwick.1; do
    [[ -s $prefix/$file ]] || fail "$file is not installed"
done
bash -n "$prefix/share/bash-completion/completions/tarnwick" || fail "the bash completion does not parse"

missing=()
if command -v desktop-file-validate >/dev/null; then
    # desktop-file-utils before 0.27 (Debian 12 has 0.26) predates SingleMainWindow,
    # a standard key since version 1.5 of the Desktop Entry specification.
    if ! report=$(desktop-file-validate "$prefix/share/applications/$app_id.desktop" 2>&1); then
        report=$(grep -v 'key "SingleMainWindow" .* should start with "X-"' <<<"$report" || true)
        [[ -z $report ]] || fail "desktop-file-validate: $report"
    elif [[ -n $report ]]; then
        fail "desktop-file-validate: $report"
    fi
else
    missing+=(desktop-file-validate)
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app_id.metainfo.xml" >&2 ||
        fail "appstreamcli validate"
else
    missing+=(appstreamcli)
fi

if ((status == 0 && ${#missing[@]} > 0)); then
    echo "not found: ${missing[*]}" >&2
    # CI installs them, so there a missing validator is a fault.
    [[ -n ${CI:-} ]] && exit 1
    exit 77
fi
exit "$status"
