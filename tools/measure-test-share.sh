#!/usr/bin/env bash
# The share of the C++ that is tests: non-blank lines that are not only a
# comment, of the tracked sources under tests/ (or named *_test.*) against
# all the others.
# Usage: tools/measure-test-share.sh [REVISION]   (default: the work tree)
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-}
files() { if [ -n "$rev" ]; then git ls-tree -r --name-only "$rev"; else git ls-files; fi | grep -E '\.(cpp|h|hpp|cc)$'; }
count() {
    local f n=0
    while IFS= read -r f; do
        n=$(( n + $(if [ -n "$rev" ]; then git show "$rev:$f"; else cat "$f"; fi | grep -c -v -E '^\s*(//.*)?$' || true) ))
    done
    echo "$n"
}
tests=$(files | grep -E '(^|/)tests?/|_test\.' | count)
code=$(files | grep -v -E '(^|/)tests?/|_test\.' | count)
echo "test lines: $tests, other lines: $code, tests are $(( 100 * tests / (tests + code) ))% of the whole"
