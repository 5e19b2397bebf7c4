#!/usr/bin/env bash
# Checks an installed desktop entry and AppStream metainfo with the
# freedesktop.org validators, printing what they say. Exits 1 when one
# complains, 77 when a validator is missing (1 with CI set, where they are
# installed).
# Usage: scripts/validate-metadata.sh <prefix> <app id>
set -euo pipefail
prefix=$1
app_id=$2
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

status=0
missing=()
if command -v desktop-file-validate >/dev/null; then
    # desktop-file-utils before 0.27 (Debian 12 has 0.26) predates SingleMainWindow,
    # a standard key of desktop entries since their version 1.5.
    said=$(desktop-file-validate "$desktop" 2>&1 || true)
    report=$(grep -v 'key "SingleMainWindow" .* should start with "X-"' <<<"$said" || true)
    if [[ -n $report ]]; then
        echo "desktop-file-validate: $report" >&2
        status=1
    elif [[ -n $said ]]; then
        echo "desktop-file-validate: $desktop is valid but for SingleMainWindow, newer than this validator" >&2
    else
        echo "desktop-file-validate: $desktop is valid" >&2
    fi
else
    missing+=(desktop-file-validate)
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$metainfo" >&2 || status=1
else
    missing+=(appstreamcli)
fi

if ((status == 0 && ${#missing[@]} > 0)); then
    echo "not found: ${missing[*]}" >&2
    [[ -n ${CI:-} ]] && exit 1
    exit 77
fi
exit "$status"
