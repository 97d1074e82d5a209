#!/bin/sh
# Builds the Debian package with dpkg-buildpackage and gathers what it made
# (which Debian's tools write beside the source tree) into build-deb/, the
# folder debian/rules builds in. The full log is build-deb/build.log.
# Usage: build-deb.sh JOBS [SPEECH_CACHE]
set -eu
jobs=$1
speech=${2:-}
out=build-deb
cd "$(dirname "$0")/.."

version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
log=$(mktemp)
start=$(date +%s)
printf 'Debian package tamblor %s: building... ' "$version"
if [ -n "$speech" ] && [ -d "$speech" ]; then
    export TAMBLOR_SPEECH_CACHE="$speech"
fi
if ! dpkg-buildpackage -b -us -uc --post-clean -J"$jobs" >"$log" 2>&1; then
    echo "failed. The end of the log:"
    tail -n 60 "$log"
    rm -f "$log"
    exit 1
fi
# The post-clean step removed build-deb; it now holds what was made.
mkdir -p "$out"
mv "$log" "$out/build.log"
for f in "tamblor_${version}_${arch}.deb" "tamblor-dbgsym_${version}_${arch}.deb" \
         "tamblor_${version}_${arch}.buildinfo" "tamblor_${version}_${arch}.changes"; do
    if [ -f "../$f" ]; then mv "../$f" "$out/"; fi
done
deb="$out/tamblor_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "failed: no $deb"; exit 1; }
echo "$deb, $(du -k "$deb" | cut -f1) KiB ($(($(date +%s) - start)) s)"
