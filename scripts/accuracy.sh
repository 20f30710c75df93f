#!/usr/bin/env bash
# Fits the certified polynomial data sets (NIST StRD) with kalmira-fit and measures the log
# relative error (LRE: the number of correct significant digits) of every coefficient.
# Writes the figures to cli/tests/nist_accuracy.txt, which the test suite holds the program to,
# and the table between the accuracy markers of README.md.
#
#   bash scripts/accuracy.sh [build-dir]     (default: build; kalmira-fit is built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
DATA=testdata/nist
FIGURES=cli/tests/nist_accuracy.txt

if [ ! -x "$BUILD/cli/kalmira-fit" ]; then
  [ -f "$BUILD/CMakeCache.txt" ] || cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMIRA_BENCH=OFF >/dev/null
  cmake --build "$BUILD" --target kalmira-fit -j2 >/dev/null
fi
FIT=$BUILD/cli/kalmira-fit

# data set, model: the closed forms where the set is a line or a parabola, and the polynomial fit
# of the set's degree throughout.
RUNS="Norris line
Norris poly:1
Pontius parabola
Pontius poly:2
Filip poly:10
Wampler1 poly:5
Wampler2 poly:5
Wampler3 poly:5
Wampler4 poly:5
Wampler5 poly:5"

rows=""
figures="# data set, model, significant digits of the certified values, smallest LRE of the coefficients
# written by scripts/accuracy.sh; the cli tests hold kalmira-fit to these figures"
while read -r set model; do
  file=$DATA/$set.dat
  first=$(sed -n 's/.*Data *(lines \([0-9]*\) to [0-9]*).*/\1/p' "$file" | head -1)
  # The data lines hold y, then x.
  csv=$("$FIT" --model "$model" --skip $((first - 1)) --columns 2,1 --format csv "$file" 2>/dev/null) || {
    echo "accuracy.sh: kalmira-fit failed on $set with $model" >&2
    exit 1
  }
  line=$(printf '%s\n' "$csv" | awk -F, -v model="$model" '
    # The certified B0..Bn come first (read from the data set), then the program'"'"'s coefficients.
    FNR == NR { cert[n++] = $0; next }
    $2 == "quality" || $2 == "points" || $2 == "truncated" { next }
    $1 == model { got[$2] = $3 }
    function digits(text,   m) {          # significant digits of a certified value
      m = text; sub(/[eE].*/, "", m); gsub(/[^0-9]/, "", m); sub(/^0+/, "", m); return length(m)
    }
    function lre(est, c, d,   err) {
      if (est == c) return d
      err = (c == 0) ? (est < 0 ? -est : est) : ((est - c) / c)
      if (err < 0) err = -err
      err = -log(err) / log(10)
      return err < 0 ? 0 : (err > d ? d : err)
    }
    END {
      if (model == "line") { name[0] = "d"; name[1] = "k" }
      else if (model == "parabola") { name[0] = "k0"; name[1] = "k1"; name[2] = "k2" }
      else for (j = 0; j < n; j++) name[j] = "c" j
      d = 99; lowest = 99; list = ""
      for (j = 0; j < n; j++) {
        if (digits(cert[j]) < d) d = digits(cert[j])
        if (!(name[j] in got)) { print "missing " name[j] > "/dev/stderr"; exit 1 }
        v = lre(got[name[j]] + 0, cert[j] + 0, digits(cert[j]))
        if (v < lowest) lowest = v
        list = list (j ? " " : "") sprintf("%.1f", v)
      }
      printf "%d %.1f %s\n", d, lowest, list
    }' <(awk '/^ +B[0-9]+ /{ print $2 }' "$file") -)
  read -r digits lowest list <<<"$line"
  figures+=$'\n'"$set $model $digits $lowest"
  note=""
  case $csv in *",truncated,1"*) note=" (a singular value discarded)" ;; esac
  rows+=$'\n'"| $set | \`$model\`$note | $digits | $lowest | $list |"
done <<<"$RUNS"

printf '%s\n' "$figures" >"$FIGURES"

table="| data set | model | certified digits | smallest LRE | LRE of B0, B1, ... |
|---|---|---|---|---|${rows}"
awk -v table="$table" '
  /<!-- accuracy table begin -->/ { print; print table; skipping = 1; next }
  /<!-- accuracy table end -->/ { skipping = 0 }
  !skipping { print }' README.md >README.md.new
mv README.md.new README.md
printf '%s\n' "$table"
