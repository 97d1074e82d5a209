#!/usr/bin/env bash
# `make install` into a staged folder holds exactly the program, its data,
# the desktop entry, icon, metainfo and manual page; the staged program
# answers --version and --help without a window, starts from any folder with
# its installed data, and names both places it looked when the data is gone.
source "$(dirname "$0")/lib/common.bash" "$1"
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
STAGE=$WORK/stage
PREFIX=/opt/tamblor
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD/CMakeCache.txt"; }
APP_ID=$(cache_value TAMBLOR_APP_ID)
VERSION=$(cache_value CMAKE_PROJECT_VERSION)

# Run as the player would; this test's own make must not leak into it.
env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS \
    make -C "$SOURCE" install BUILD="$BUILD" PREFIX="$PREFIX" DESTDIR="$STAGE" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log" >&2; fail "make install failed"; }

TOP=$STAGE$PREFIX
{
    echo "$TOP/bin/tamblor"
    echo "$TOP/share/applications/$APP_ID.desktop"
    echo "$TOP/share/icons/hicolor/scalable/apps/$APP_ID.svg"
    echo "$TOP/share/metainfo/$APP_ID.metainfo.xml"
    echo "$TOP/share/man/man6/tamblor.6"
    echo "$TOP/share/tamblor/tamblor.tmb"
    cut -f1 "$SOURCE/assets/manifest.tsv" | grep '^system/' | sed "s|^|$TOP/share/tamblor/|"
} | sort >"$WORK/expected"
find "$STAGE" ! -type d | sort >"$WORK/installed"
diff -u "$WORK/expected" "$WORK/installed" >&2 || fail "the staged installation holds other files than expected"
cmp -s "$BUILD/tamblor.tmb" "$TOP/share/tamblor/tamblor.tmb" || fail "the installed archive differs from the built one"

# The options answer in the terminal, with no display at all.
version=$(env -u DISPLAY "$TOP/bin/tamblor" --version 2>"$WORK/err") || fail "--version failed"
[ "$version" = "Tamblor $VERSION" ] || fail "--version says '$version', not 'Tamblor $VERSION'"
[ ! -s "$WORK/err" ] || fail "--version wrote to standard error: $(cat "$WORK/err")"
env -u DISPLAY "$TOP/bin/tamblor" --help >"$WORK/help" || fail "--help failed"
grep -qx "  $TOP/share/tamblor" "$WORK/help" || fail "--help does not name $TOP/share/tamblor"
set +e; env -u DISPLAY "$TOP/bin/tamblor" --bogus 2>/dev/null; status=$?; set -e
[ "$status" = 2 ] || fail "an unknown argument ended with status $status, not 2"

# Started from elsewhere, the staged program plays from its installed data.
start_display
start_game env -C "$WORK" "$TOP/bin/tamblor"
wait_for_first_sound
leave_with_escape

# Without its data it says where it looked, and ends.
mv "$TOP/share/tamblor" "$TOP/share/tamblor.away"
(cd "$WORK" && exec "$TOP/bin/tamblor") >"$WORK/game.log" 2>&1 &
GAME_PID=$!
wait_exit 20
[ "$GAME_STATUS" = 1 ] || fail "without data the exit status is $GAME_STATUS, not 1"
grep -qF "neither in $TOP/bin nor in $TOP/share/tamblor" "$WORK/game.log" ||
    fail "the message does not name both places"
echo "install: ok ($(wc -l <"$WORK/installed") files under $PREFIX)"
