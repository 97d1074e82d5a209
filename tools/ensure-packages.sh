#!/bin/sh
# Installs the named Debian packages that are missing when run as root;
# otherwise prints the apt-get line to run. Says what it did in one line.
# Usage: ensure-packages.sh [--label TEXT] PACKAGE...
label="Packages"
if [ "$1" = "--label" ]; then label=$2; shift 2; fi
missing=""
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -z "$missing" ]; then
    echo "$label: all $# present"
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "$label: missing. Please run:"
    echo "  sudo apt-get install$missing"
    exit 1
fi
printf '%s: installing%s... ' "$label" "$missing"
log=$(mktemp)
# shellcheck disable=SC2086 # one word per package
if apt-get update -qq >"$log" 2>&1 &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >>"$log" 2>&1; then
    echo "done"
    rm -f "$log"
else
    echo "failed:"
    cat "$log"
    rm -f "$log"
    exit 1
fi
