#!/usr/bin/env bash
# Fits the certified polynomial data sets (NIST StRD) with kalmira-fit and measures the log
# relative error (LRE: the number of correct significant digits) of every coefficient, of every
# coefficient's standard deviation, of the residual standard deviation, of R^2 and of F.
# Writes the figures to cli/tests/nist_accuracy.txt, which the test suite holds the program to,
# and the table between the accuracy markers of README.md. Then the certified nonlinear problems
# from both starts (tools/nist_nonlinear_digits) between the nonlinear markers.
#
#   bash scripts/accuracy.sh [build-dir]     (default: build; kalmira-fit is built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
DATA=testdata/nist
FIGURES=cli/tests/nist_accuracy.txt

if [ ! -x "$BUILD/cli/kalmira-fit" ] || [ ! -x "$BUILD/tools/nist_nonlinear_digits" ]; then
  [ -f "$BUILD/CMakeCache.txt" ] || cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMIRA_BENCH=OFF >/dev/null
  cmake --build "$BUILD" --target kalmira-fit nist_nonlinear_digits -j2 >/dev/null
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
figures="# data set, model, significant digits of the certified values, smallest LRE of the coefficients,
# smallest LRE of their standard deviations, LRE of the residual standard deviation, of R^2 and of F
# (- where the certified F is infinite)
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
    # The certified values come first (read from the data set: "B estimate sd", "S residual sd",
    # "R r-squared", "F statistic"), then the program'"'"'s csv rows.
    BEGIN { n = 0 }
    FNR == NR {
      if ($1 == "B") { cert[n] = $2; sd[n] = $3; n++ } else stat[$1] = $2
      next
    }
    $2 == "points" || $2 == "truncated" { next }
    $1 == model { got[$2] = $3 }
    function digits(text,   m) {          # significant digits of a certified value (those printed of a 0)
      m = text; sub(/[eE].*/, "", m); gsub(/[^0-9]/, "", m)
      if (m ~ /^0+$/) return length(m) - 1
      sub(/^0+/, "", m); return length(m)
    }
    function lre(est, c, d,   err) {
      if (est == c) return d
      err = (c == 0) ? (est < 0 ? -est : est) : ((est - c) / c)
      if (err < 0) err = -err
      err = -log(err) / log(10)
      return err < 0 ? 0 : (err > d ? d : err)
    }
    function statistic(item, key) {       # the LRE of one certified statistic, "-" where it is infinite
      if (stat[key] == "Infinity") return "-"
      if (!(item in got)) { print "missing " item > "/dev/stderr"; exit 1 }
      return sprintf("%.1f", lre(got[item] + 0, stat[key] + 0, digits(stat[key])))
    }
    END {
      if (model == "line") { name[0] = "d"; name[1] = "k" }
      else if (model == "parabola") { name[0] = "k0"; name[1] = "k1"; name[2] = "k2" }
      else for (j = 0; j < n; j++) name[j] = "c" j
      d = 99; lowest = 99; lowestSd = 99; list = ""
      for (j = 0; j < n; j++) {
        if (digits(cert[j]) < d) d = digits(cert[j])
        if (!(name[j] in got) || !(("std_error:" name[j]) in got)) { print "missing " name[j] > "/dev/stderr"; exit 1 }
        v = lre(got[name[j]] + 0, cert[j] + 0, digits(cert[j]))
        if (v < lowest) lowest = v
        list = list (j ? " " : "") sprintf("%.1f", v)
        v = lre(got["std_error:" name[j]] + 0, sd[j] + 0, digits(sd[j]))
        if (v < lowestSd) lowestSd = v
      }
      printf "%d %.1f %.1f %s %s %s %s\n", d, lowest, lowestSd, statistic("residual_std_error", "S"),
        statistic("quality", "R"), statistic("f_statistic", "F"), list
    }' <(awk -v OFS=, '{ sub(/\r$/, "") }
              /^ +B[0-9]+ /{ print "B", $2, $3 }
              /^ +Standard Deviation +[^ ]/{ print "S", $3 }
              /^ +R-Squared/{ print "R", $2 }
              /^Regression +[0-9]/{ print "F", $5 }' "$file") -)
  read -r digits lowest lowestSd residualSd rSquared fStatistic list <<<"$line"
  figures+=$'\n'"$set $model $digits $lowest $lowestSd $residualSd $rSquared $fStatistic"
  note=""
  case $csv in *",truncated,1"*) note=" (a singular value discarded)" ;; esac
  rows+=$'\n'"| $set | \`$model\`$note | $digits | $lowest | $list | $lowestSd | $residualSd | $rSquared | $fStatistic |"
done <<<"$RUNS"

printf '%s\n' "$figures" >"$FIGURES"

table="| data set | model | certified digits | smallest LRE | LRE of B0, B1, ... | smallest LRE of their std. deviations | residual SD | R² | F |
|---|---|---|---|---|---|---|---|---|${rows}"
awk -v table="$table" '
  /<!-- accuracy table begin -->/ { print; print table; skipping = 1; next }
  /<!-- accuracy table end -->/ { skipping = 0 }
  !skipping { print }' README.md >README.md.new
mv README.md.new README.md
printf '%s\n' "$table"

# The nonlinear problems: the tool prints the table, its summary lines after it.
nonlinear=$("$BUILD/tools/nist_nonlinear_digits" --markdown)
awk -v table="$nonlinear" '
  /<!-- nonlinear accuracy table begin -->/ { print; print table; skipping = 1; next }
  /<!-- nonlinear accuracy table end -->/ { skipping = 0 }
  !skipping { print }' README.md >README.md.new
mv README.md.new README.md
printf '%s\n' "$nonlinear"
