#!/usr/bin/env bash
# plotxfer-batch --watch on a copy of the demo application folder with the stand-in tools, as a
# user meets it: drawings dropped, written in pieces, changed, refused, held up by a busy output
# utility, a watched folder that goes away and comes back, and Ctrl-C.
#   watch_e2e.sh DEMO-DIR
set -uo pipefail
demo=$1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() {  # what expected actual
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-watch.XXXXXX")
watcher=
cleanup() {
  [ -n "$watcher" ] && kill -KILL -- "-$watcher" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$demo/app" "$work/app"
export PLOTXFER_REGISTRY_FILE=$work/settings.reg
export PLOTXFER_STANDIN_LOG=$work/tools.log
export PLOTXFER_STANDIN_FAULTS=$work/faults
: >"$work/faults"
w=$work/watched
mkdir -p "$w" "$work/out"
plan=$demo/drawings/plan.VX

# Rows printed for a drawing with a status, and export tool runs for a drawing.
rows() { grep -c " $w/$1 $2\$" "$work/rows" || true; }
exports() { grep '"tool": "VXCVPX"' "$work/tools.log" 2>/dev/null | grep -c "watched/$1\"" || true; }
wait_until() {  # wait_until WHAT COMMAND...: up to 15 s
  local what=$1
  shift
  for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
  fail "$what did not happen within 15 s"
  return 1
}
has_row() { [ "$(rows "$1" "$2")" -ge "${3:-1}" ]; }
said() { grep -qF "$1" "$work/stderr"; }
exported() { [ "$(exports "$1")" -ge 1 ]; }

echo "== At start: a drawing without output is converted, an up-to-date one is not"
cp "$plan" "$w/missing.VX"
cp "$plan" "$w/current.VX"
touch -d '1 minute ago' "$w/current.VX"
cp "$plan" "$work/out/current.pdf"
setsid "$work/app/plotxfer-batch" --watch "$w" --output-dir "$work/out" --settle 0.5 \
  --rescan 1 --report "$work/report.jsonl" >"$work/rows" 2>"$work/stderr" &
watcher=$!
wait_until "the conversion of missing.VX" has_row missing.VX 変換終了
expect_eq "export runs for the up-to-date drawing" 0 "$(exports current.VX)"

echo "== A drawing dropped into the folder"
cp "$plan" "$w/dropped.VX"
wait_until "the conversion of dropped.VX" has_row dropped.VX 変換終了

echo "== A drawing written in pieces, each within the settle time of the last"
size=$(stat -c %s "$plan")
for part in 0 1 2 3; do
  dd if="$plan" of="$w/pieces.VX" bs=$(((size + 3) / 4)) skip=$part seek=$part count=1 \
    conv=notrunc status=none
  sleep 0.3
done
wait_until "the conversion of pieces.VX" has_row pieces.VX 変換終了
cmp -s "$plan" "$w/pieces.VX" || fail "pieces.VX was not written whole"
expect_eq "export runs for pieces.VX" 1 "$(exports pieces.VX)"
expect_eq "error rows for pieces.VX" 0 "$(rows pieces.VX 'エラー(1)')"

echo "== A changed drawing is converted again"
touch "$w/dropped.VX"
wait_until "the second conversion of dropped.VX" has_row dropped.VX 変換終了 2

echo "== A failed drawing is not tried again until it changes"
cp "$demo/drawings/newer.VX" "$w/refused.VX"
wait_until "the failure of refused.VX" has_row refused.VX 'エラー(1)'
sleep 2.5  # two full looks at the folder
expect_eq "rows of the unchanged failed drawing" 1 "$(rows refused.VX 'エラー(1)')"
touch "$w/refused.VX"
wait_until "the second try of refused.VX" has_row refused.VX 'エラー(1)' 2

echo "== A busy output utility: the drawing waits, then converts"
PLOTXFER_STANDIN_LOG= PLOTXFER_STANDIN_SLEEP_MS=30000 "$work/app/RSTKIT/RASTRON.EXE" 2>/dev/null &
busy=$!
sleep 0.3
cp "$plan" "$w/waited.VX"
wait_until "the message about the busy output utility" said "waiting: the application folder or the output utility is in use"
expect_eq "rows of the waiting drawing" 0 "$(grep -c "waited.VX" "$work/rows")"
kill "$busy"
wait "$busy" 2>/dev/null
wait_until "the conversion of waited.VX" has_row waited.VX 変換終了

echo "== A watched folder that goes away and comes back"
mv "$w" "$w.away"
wait_until "the message about the lost folder" said "the watched folder $w is gone"
mv "$w.away" "$w"
wait_until "the message about the folder back" said "the watched folder $w is back"
cp "$plan" "$w/returned.VX"
wait_until "the conversion of returned.VX" has_row returned.VX 変換終了
expect_eq "export runs for missing.VX after the folder came back" 1 "$(exports missing.VX)"

echo "== Ctrl-C during a conversion lets it finish and ends with 0"
echo "VXCVPX last sleep=1500" >"$work/faults"
cp "$plan" "$w/last.VX"
wait_until "the export of last.VX" exported last.VX
kill -INT -- "-$watcher"
wait "$watcher"
expect_eq "exit code after Ctrl-C" 0 "$?"
watcher=
expect_eq "rows of last.VX" 1 "$(rows last.VX 変換終了)"
[ -s "$work/out/last.pdf" ] || fail "no output for last.VX"

echo "== A second Ctrl-C ends the tool under way and the watch with 130"
echo "VXCVPX slow sleep=30000" >"$work/faults"
setsid "$work/app/plotxfer-batch" --watch "$w" --output-dir "$work/out" --settle 0.5 \
  --no-initial >"$work/rows2" 2>>"$work/stderr" &
watcher=$!
sleep 0.5
cp "$plan" "$w/slow.VX"
wait_until "the export of slow.VX" exported slow.VX
kill -INT -- "-$watcher"
sleep 0.3
kill -INT -- "-$watcher"
wait "$watcher"
expect_eq "exit code after two Ctrl-C" 130 "$?"
watcher=
grep -q " $w/slow.VX 中断\$" "$work/rows2" || fail "no interrupted row for slow.VX: $(cat "$work/rows2")"
expect_eq "tool processes left" "" "$(pgrep -f "$work/app/VXCVPX" | tr '\n' ' ')"

echo "== Every row printed has its line in the report"
expect_eq "report lines against rows" "$(wc -l <"$work/rows")" "$(wc -l <"$work/report.jsonl")"
python3 - "$work/rows" "$work/report.jsonl" <<'PY' || fail "the report does not match the rows"
import json, re, sys
rows = [re.fullmatch(r"\S+ \S+ +\d+ (.*) (\S+)", l.rstrip("\n")) for l in open(sys.argv[1], encoding="utf-8")]
lines = [json.loads(l) for l in open(sys.argv[2], encoding="utf-8")]
for row, line in zip(rows, lines):
    path, status = row.group(1), row.group(2)
    assert line["path"] == path and line["status"] == status, (row, line)
    assert line["result"] == (0 if status == "変換終了" else 1), line
PY

if [ "$failures" -gt 0 ]; then
  echo "--- rows"; cat "$work/rows"; echo "--- stderr"; cat "$work/stderr"
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
