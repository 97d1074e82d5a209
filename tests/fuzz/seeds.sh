#!/usr/bin/env bash
# Seed corpora for the fuzz targets, made from the real game data of a
# built game: seeds.sh BUILD_DIR OUT_DIR writes OUT_DIR/<target>/...
set -euo pipefail
BUILD=$(cd "$1" && pwd)
OUT=$2
ARCHIVE="$BUILD/tamblor.tmb"
TOOL="$BUILD/tmbtool"
[ -f "$ARCHIVE" ] && [ -x "$TOOL" ] || { echo "seeds.sh: build the game first ($ARCHIVE, $TOOL)" >&2; exit 1; }
rm -rf "$OUT"
mkdir -p "$OUT"/{fuzz_archive,fuzz_settings,fuzz_map,fuzz_wav}
TMP=$(mktemp -d)
GAME_PID=""
trap '[ -z "$GAME_PID" ] || kill "$GAME_PID" 2>/dev/null || true; rm -rf "$TMP"' EXIT

extract() { "$TOOL" extract "$ARCHIVE" "$1" "$2" >/dev/null; }

# WAV: loose voice files as the game reads them, and archive members.
cp "$BUILD/system/initials/1.wav" "$OUT/fuzz_wav/initials-1.wav"
cp "$BUILD/system/initials/point.wav" "$OUT/fuzz_wav/initials-point.wav"
extract sounds/ScanBeep.wav "$OUT/fuzz_wav/ScanBeep.wav"
extract Safari/DryFire.wav "$OUT/fuzz_wav/DryFire.wav"

# Map: every compiled table map in the archive.
"$TOOL" list "$ARCHIVE" | awk -F'\t' '$2 ~ /\.map$/ {print $2}' | while read -r member; do
    extract "$member" "$OUT/fuzz_map/$(echo "$member" | tr / _)"
done

# Archive: small archives of real members, and the real archive's header
# with its whole directory (members left out, so entries point past the end).
extract sounds/ScanBeep.wav "$TMP/scanbeep.wav"
extract Safari/DryFire.wav "$TMP/dryfire.wav"
extract wildwest/dryfire.wav "$TMP/dryfire2.wav"
printf 'sounds/ScanBeep.wav\t%s\n' "$TMP/scanbeep.wav" >"$TMP/one.txt"
"$TOOL" build "$OUT/fuzz_archive/one.tmb" "$TMP/one.txt" >/dev/null
printf 'sounds/ScanBeep.wav\t%s\nSafari/DryFire.wav\t%s\nwildwest/dryfire.wav\t%s\n' \
    "$TMP/scanbeep.wav" "$TMP/dryfire.wav" "$TMP/dryfire2.wav" >"$TMP/three.txt"
"$TOOL" build "$OUT/fuzz_archive/three.tmb" "$TMP/three.txt" >/dev/null
offset=$(od -An -t d4 -j 4 -N 4 "$ARCHIVE" | tr -d ' ')
{ head -c 12 "$ARCHIVE"; tail -c +"$(( offset + 1 ))" "$ARCHIVE"; } >"$OUT/fuzz_archive/directory.tmb"

# Settings: the file the real program writes on its first run (no display
# or sound needed; SIGTERM ends it once the file is there).
export XDG_CONFIG_HOME="$TMP/config" XDG_DATA_HOME="$TMP/data" XDG_RUNTIME_DIR="$TMP/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TAMBLOR_MESSAGES=stderr "$BUILD/tamblor" >"$TMP/game.log" 2>&1 &
GAME_PID=$!
settings="$XDG_CONFIG_HOME/tamblor/VKM222005.ini"
for _ in $(seq 300); do [ -s "$settings" ] && break; sleep 0.1; done
kill "$GAME_PID" 2>/dev/null || true
wait "$GAME_PID" 2>/dev/null || true
GAME_PID=""
[ -s "$settings" ] || { echo "seeds.sh: the game wrote no settings file" >&2; cat "$TMP/game.log" >&2; exit 1; }
cp "$settings" "$OUT/fuzz_settings/first-run.ini"
# The same with best scores, a hand edit and one unreadable line.
sed -e 's/^HSPacMan=.*/HSPacMan=1F6QX3/' -e 's/^GameMode=.*/GameMode = 1 ; edited/' "$settings" \
    >"$OUT/fuzz_settings/edited.ini"
printf 'this line is not a setting\n' >>"$OUT/fuzz_settings/edited.ini"

for dir in "$OUT"/*; do echo "seeds: $(basename "$dir"): $(ls "$dir" | wc -l) files"; done
