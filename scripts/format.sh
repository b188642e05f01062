#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format.
#   scripts/format.sh          rewrite the files in place
#   scripts/format.sh --check  list the files that are not formatted; fail if any
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fmt=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$fmt" ]; then
  echo "clang-format is missing (scripts/deps.sh installs it)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ "${1:-}" = --check ]; then
  bad=0
  for f in "${files[@]}"; do
    if ! "$fmt" --style=file "$f" | cmp -s - "$f"; then
      echo "not formatted: $f" >&2
      bad=1
    fi
  done
  [ $bad = 0 ] || echo "run 'make format' to format them" >&2
  exit $bad
fi
"$fmt" --style=file -i "${files[@]}"
