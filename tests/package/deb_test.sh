#!/usr/bin/env bash
# The Debian package built by `make deb`: lintian finds no error in it; as
# root it is installed, `tamblor` from PATH answers --version and starts the
# game under Xvfb with its installed data, and the package is removed again.
# Usage: deb_test.sh DEB_BUILD_DIR
cd "$(dirname "$0")/../.."
source tests/e2e/lib/common.bash "$1"
version=$(dpkg-parsechangelog -S Version)
deb=$BUILD/tamblor_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
[ -f "$deb" ] || fail "no package at $deb"
echo "package: $deb, $(stat -c %s "$deb") bytes, $(dpkg-deb -f "$deb" Installed-Size) KiB installed"
echo "package depends on: $(dpkg-deb -f "$deb" Depends)"

# Every tag lintian knows, down to the informational and pedantic ones, is
# shown; only errors fail.
lintian --fail-on error --display-info --pedantic "$deb" >"$BUILD/lintian.txt" 2>"$WORK/lintian.err" ||
    { cat "$BUILD/lintian.txt" "$WORK/lintian.err"; fail "lintian found errors"; }
if [ -s "$BUILD/lintian.txt" ]; then
    echo "lintian: $(wc -l <"$BUILD/lintian.txt") tags, no error"
    sed 's/^/  /' "$BUILD/lintian.txt"
else
    echo "lintian: no tags"
fi

if [ "$(id -u)" != 0 ]; then
    echo "deb: built and checked; installing it needs root, so that part was not run"
    exit 0
fi
if dpkg-query -W -f='${Status}' tamblor 2>/dev/null | grep -q "ok installed"; then
    fail "a tamblor package is already installed here; remove it first (dpkg --purge tamblor)"
fi

installed=0
remove_package() {
    in_main_shell || return 0
    if [ "$installed" = 1 ]; then dpkg --purge tamblor >/dev/null 2>&1 || true; fi
    cleanup
}
trap remove_package EXIT
# apt resolves the dependencies the package's tools found.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >"$WORK/apt.log" 2>&1 ||
    { cat "$WORK/apt.log" >&2; fail "the package did not install"; }
installed=1
# The player's PATH as Debian's /etc/profile sets it (root's lacks /usr/games).
PLAYER_PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
player() { env PATH="$PLAYER_PATH" "$@"; }
[ "$(player sh -c 'command -v tamblor')" = /usr/games/tamblor ] || fail "tamblor is not on PATH as /usr/games/tamblor"
[ "$(player tamblor --version)" = "Tamblor $version" ] || fail "the installed program is not version $version"
dpkg -L tamblor | grep -qx /usr/share/games/tamblor/tamblor.tmb ||
    fail "the package holds no /usr/share/games/tamblor/tamblor.tmb"
player tamblor --help | grep -qx "  /usr/share/games/tamblor" || fail "--help does not name /usr/share/games/tamblor"

start_display
start_game env -C "$WORK" PATH="$PLAYER_PATH" tamblor
wait_for_first_sound
leave_with_escape

dpkg --purge tamblor >"$WORK/purge.log" 2>&1 || { cat "$WORK/purge.log" >&2; fail "the package did not remove"; }
installed=0
[ ! -e /usr/games/tamblor ] && [ ! -e /usr/share/games/tamblor ] || fail "removing the package left files behind"
echo "deb: ok (installed, started from PATH, removed)"
