#!/usr/bin/env bash
# Runs the benchmark programs (build/x64/bin/bench_*.exe, or the ones named as
# arguments, e.g. "bench_app") under Wine inside Xvfb. Each prints its figures
# as "name: value unit" and explanations as "# ..." lines. The run ends with a
# table of the figures that bench/goals.txt sets goals for.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
. "$root/scripts/winenv.sh"
# The activation benchmark pops menus of 53 items, which must fit on the screen
# whole, and of 1,003 items, which scroll.
export VT_SCREEN="${VT_SCREEN:-1280x1600x24}"
vt_wine_start "$build"
trap 'vt_wine_stop; rm -f "$figures"' EXIT
figures=$(mktemp)
status=0
shopt -s nullglob
if [ $# -gt 0 ]; then
  programs=()
  for name in "$@"; do programs+=("$build/bin/${name%.exe}.exe"); done
else
  programs=("$build"/bin/bench_*.exe)
fi
for b in "${programs[@]}"; do
  (cd "$build/bin" && timeout 600 "$VT_WINE" "$b") | tr -d '\r' | tee -a "$figures" || status=1
done

# figure, value, floor, goal, met: the goals file's order, one line each. A
# run of some programs only leaves out the figures it did not print.
echo
awk -v all=$(( $# == 0 )) '
  FNR == NR {
    if ($0 !~ /^#/ && match($0, /^[A-Za-z0-9_]+: /)) {
      name = substr($0, 1, RLENGTH - 2)
      value[name] = $2; unit[name] = $3
    }
    next
  }
  /^[ \t]*(#|$)/ { next }
  {
    fig = $1; goal = $2; floor = $3
    op = substr(goal, 1, 2) == "<=" ? "<=" : "<"
    limit = substr(goal, length(op) + 1) + 0
    if (!(fig in value)) {
      if (!all) next
      v = "missing"; met = "no"
    } else {
      v = value[fig] (unit[fig] == "ratio" ? "" : " " unit[fig])
      ok = op == "<=" ? value[fig] + 0 <= limit : value[fig] + 0 < limit
      met = ok ? "yes" : "no"
    }
    f = "-"
    if (floor != "" && floor != "-") f = floor in value ? value[floor] " " unit[floor] : "missing"
    rows[++n] = sprintf("%-38s %-10s %-14s %-8s %s", fig, v, f, goal, met)
  }
  END {
    printf "%-38s %-10s %-14s %-8s %s\n", "figure", "value", "floor", "goal", "met"
    for (i = 1; i <= n; ++i) print rows[i]
  }
' "$figures" "$root/bench/goals.txt"
exit $status
