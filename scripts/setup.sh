#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t wanted < <(grep -v '^\s*#' "$here/debian-packages.txt" | grep -v '^\s*$')
missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# A Greek locale, whose decimal separator is a comma, lets the tests check number conversion by locale.
if ! locale -a 2>/dev/null | grep -qi '^el_GR\.utf-\?8$'; then
    "${as_root[@]}" localedef -i el_GR -f UTF-8 el_GR.UTF-8 || echo "Could not build the el_GR.UTF-8 locale; its tests will be skipped."
fi
