#!/usr/bin/env bash
# Measures the speech rates: how long "you have 1,234,567 points" takes at
# each rate, and how many of the words an offline recogniser (pocketsphinx,
# Debian's pocketsphinx and pocketsphinx-en-us, with sox) still hears when
# the game's voices are said at 100% and at 200%. Each voice is stretched
# on its own, as the game does.
# Usage: tools/measure-speech.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
archive="$build/tamblor.tmb"
for tool in pocketsphinx_continuous sox; do
    command -v "$tool" >/dev/null || { echo "Please run: sudo apt-get install pocketsphinx pocketsphinx-en-us sox"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "Time to say \"you have 1,234,567 points\":"
for rate in 75 100 125 150 175 200 225 250; do
    printf '  %3d%%: ' "$rate"
    "$build/tmbtool" say "$archive" "$rate" "$tmp/n.wav" sounds/v_UHave.wav '#1234567' sounds/v_Points.wav
done

# The reference: the voice script's own words for each voice.
words() { tr 'A-Z' 'a-z' | sed "s/[^a-z']/ /g" | tr -s ' ' '\n' | sed '/^$/d'; }
# heard REFERENCE HYPOTHESIS: reference words found in order (longest common
# subsequence of words).
heard() {
    awk 'NR==FNR { r[++n] = $0; next } { h[++m] = $0 }
         END {
           for (i = 0; i <= n; i++) L[i, 0] = 0
           for (j = 0; j <= m; j++) L[0, j] = 0
           for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
             L[i, j] = r[i] == h[j] ? L[i-1, j-1] + 1 : (L[i-1, j] > L[i, j-1] ? L[i-1, j] : L[i, j-1])
           print L[n, m], n
         }' "$1" "$2"
}

mapfile -t voices < <(awk -F'\t' '$3 == "say" && $1 ~ /^sounds\/(menu\/mnu|v_)/ { print $1 "\t" $4 }' \
                      "$here/assets/manifest.tsv")
for rate in 100 200; do
    total=0 found=0
    run() {  # run NAME REFERENCE-TEXT WORD...
        local name=$1 text=$2
        shift 2
        "$build/tmbtool" say "$archive" "$rate" "$tmp/v.wav" "$@" >/dev/null
        sox "$tmp/v.wav" -r 16000 "$tmp/v16.wav"
        pocketsphinx_continuous -infile "$tmp/v16.wav" -logfn /dev/null 2>/dev/null | words >"$tmp/hyp"
        printf '%s\n' "$text" | sed 's/ | / /' | words >"$tmp/ref"
        read -r got of < <(heard "$tmp/ref" "$tmp/hyp")
        found=$(( found + got )); total=$(( total + of ))
    }
    run number "you have one million two hundred thirty four thousand five hundred sixty seven points" \
        sounds/v_UHave.wav '#1234567' sounds/v_Points.wav
    for v in "${voices[@]}"; do run "${v%%$'\t'*}" "${v#*$'\t'}" "${v%%$'\t'*}"; done
    echo "At $rate%: the recogniser heard $found of $total words ($(( 100 * found / total ))%) in $(( ${#voices[@]} + 1 )) voices"
done
