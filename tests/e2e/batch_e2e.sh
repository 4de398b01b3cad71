#!/usr/bin/env bash
# plotxfer-batch on a copy of the demo application folder with the stand-in tools; the outputs
# are checked with pdfinfo and ImageMagick's identify.
#   batch_e2e.sh DEMO-DIR [WINE-RUN]
# With WINE-RUN the Windows build in DEMO-DIR runs under Wine with Windows paths.
set -uo pipefail
demo=$1
wine=${2:-}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() {  # what expected actual
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$demo/app" "$work/app"
# Settings stored by a user of this machine must not change what is checked here.
export PLOTXFER_REGISTRY_FILE=$work/settings.reg
mkdir -p "$work/drawings" "$work/out"
cp "$demo"/drawings/*.VX "$work/drawings/"

if [ -n "$wine" ]; then
  # Names outside ASCII do not survive the way from a Linux command line into Wine's ANSI argv;
  # the chain tests cover Shift-JIS paths under Wine.
  rm -f "$work"/drawings/*[![:ascii:]]*.VX
  native() { printf 'Z:%s' "$1" | tr / '\\'; }
  batch() { "$wine" "$work/app/plotxfer-batch.exe" "$@" 2>"$work/stderr" | iconv -f CP932 -t UTF-8 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
else
  native() { printf '%s' "$1"; }
  batch() { "$work/app/plotxfer-batch" "$@" 2>"$work/stderr"; }
fi

valid=()
for f in "$work"/drawings/*.VX; do
  [ "$(basename "$f")" = newer.VX ] || valid+=("$(native "$f")")
done
newer=$(native "$work/drawings/newer.VX")
out=$(native "$work/out")

# Page size in whole millimetres.
page_size() {
  pdfinfo "$1" 2>/dev/null |
    awk '/^Page size:/ { printf "%d x %d", $3 / 72 * 25.4 + 0.5, $5 / 72 * 25.4 + 0.5 }'
}
pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }
name_of() { local b; b=$(basename "$(printf '%s' "$1" | tr '\\' /)"); printf '%s' "${b%.*}"; }

echo "== PDF of every drawing, one invalid"
report=$(batch --pdf --colour --output-dir "$out" "${valid[@]}" "$newer")
expect_eq "exit code with an invalid drawing" 1 "$?"
row=0
for d in "${valid[@]}" "$newer"; do
  row=$((row + 1))
  status="変換終了"
  [ "$d" = "$newer" ] && status="エラー(1)"
  grep -qxF "$(printf '%3d %s %s' "$row" "$d" "$status")" <<<"$report" ||
    fail "report row $row for $d: $report
$(cat "$work/stderr")"
done
grep -q "newer.VX: the drawing's version is not supported" "$work/stderr" ||
  fail "no reason for newer.VX: $(cat "$work/stderr")"
for d in "${valid[@]}"; do
  pdf=$work/out/$(name_of "$d").pdf
  expect_eq "pages of $pdf" 1 "$(pages "$pdf")"
  expect_eq "page size of $pdf (A3 without a size token)" "420 x 297" "$(page_size "$pdf")"
done
[ -e "$work/out/newer.pdf" ] && fail "an output for the invalid drawing"
[ -e "$work/out/section.rev2.pdf" ] || fail "section.rev2.VX must give section.rev2.pdf"

echo "== PDF page sizes"
for case in "A4:297 x 210" "A4P:210 x 297" "B4:364 x 257" "A0:1189 x 841" "500x250:500 x 250"; do
  paper=${case%%:*}
  batch --pdf --paper "$paper" --output-dir "$out" "${valid[0]}" >/dev/null
  expect_eq "exit code for --paper $paper" 0 "$?"
  expect_eq "page size for --paper $paper" "${case#*:}" \
    "$(page_size "$work/out/$(name_of "${valid[0]}").pdf")"
done

echo "== Images"
for case in "bmp:bmp:BMP" "gif:gif:GIF" "jpeg:jpg:JPEG" "tiff:tif:TIFF"; do
  IFS=: read -r kind ext format <<<"$case"
  batch --image "$kind" --paper A4 --dpi 100 --output-dir "$out" "${valid[0]}" >/dev/null
  expect_eq "exit code for --image $kind" 0 "$?"
  img=$work/out/$(name_of "${valid[0]}").$ext
  got=$(identify -format '%m %wx%h' "$img" 2>&1)
  # ImageMagick names BMP version 3 "BMP3".
  [[ "$got" =~ ^$format[0-9]?\ 1169x827$ ]] || fail "$img: expected $format 1169x827, got $got"
done
# Without --dpi the screen's resolution is used and no resolution token is handed over.
batch --image bmp --paper A4 --output-dir "$out" "${valid[0]}" >/dev/null
expect_eq "A4 at the default resolution" "1123x794" \
  "$(identify -format '%wx%h' "$work/out/$(name_of "${valid[0]}").bmp" 2>&1)"
# Black and white against the drafting system's colours.
batch --image bmp --mono --output-dir "$out" "${valid[0]}" >/dev/null
mono_colours=$(identify -format '%k' "$work/out/$(name_of "${valid[0]}").bmp")
batch --image bmp --colour --output-dir "$out" "${valid[0]}" >/dev/null
colours=$(identify -format '%k' "$work/out/$(name_of "${valid[0]}").bmp")
[ "$mono_colours" -le 2 ] || fail "--mono gave $mono_colours colours"
[ "$colours" -gt 2 ] || fail "--colour gave only $colours colours"

echo "== Parameter file"
# A run with other options rewrites vxcsd.cprm, replacing it whole: nothing is left beside it.
params=$work/app/vxcsd.cprm
app_files=$(ls "$work/app")
params_before=$(md5sum <"$params")
batch --pdf --colour --line-widths --line-pitch --output-dir "$out" "${valid[0]}" >/dev/null
expect_eq "exit code with widths and pitches" 0 "$?"
[ "$(md5sum <"$params")" != "$params_before" ] || fail "the parameter file was not rewritten"
expect_eq "files of the application folder" "$app_files" "$(ls "$work/app")"

echo "== Beside the drawings, verbose"
report=$(batch -v --beside "${valid[@]}")
expect_eq "exit code when every drawing converts" 0 "$?"
for d in "${valid[@]}"; do
  expect_eq "pages beside $d" 1 "$(pages "$work/drawings/$(name_of "$d").pdf")"
done
expect_eq "command lines printed by -v" $((2 * ${#valid[@]})) "$(grep -c '^"' <<<"$report")"

echo "== A drawing named like its own output, spelt two ways"
# self.pdf is a valid drawing; converted into its own folder it would be its own output.
if [ -z "$wine" ]; then
  mkdir -p "$work/d"
  for spelling in "--output-dir d ./d/self.pdf" "--output-dir d $work/d/self.pdf" \
                  "--output-dir $work/d d/self.pdf"; do
    cp "$work/drawings/plan.VX" "$work/d/self.pdf"
    # shellcheck disable=SC2086  # the spelling is meant to split into its words
    report=$(cd "$work" && batch --pdf $spelling)
    expect_eq "exit code of $spelling" 1 "$?"
    grep -q 'エラー(4)' <<<"$report" || fail "$spelling reported: $report"
    cmp -s "$work/drawings/plan.VX" "$work/d/self.pdf" || fail "$spelling changed the drawing"
  done
fi

echo "== Usage errors"
batch --image png "${valid[0]}" >/dev/null
expect_eq "exit code of a usage error" 2 "$?"
grep -q -- '--image' "$work/stderr" || fail "the usage error does not name --image"

echo "== Folders, lists and outputs written twice"
mkdir -p "$work/tree/sub" "$work/other"
cp "$demo/drawings/plan.VX" "$work/tree/b.VX"
cp "$demo/drawings/plan.VX" "$work/tree/sub/a.vx"
cp "$demo/drawings/plan.VX" "$work/other/b.VX"
echo "not a drawing" >"$work/tree/notes.txt"
tree=$(native "$work/tree")
sep=/
[ -n "$wine" ] && sep='\'
report=$(batch --output-dir "$out" -r "$tree")
expect_eq "exit code of a folder with -r" 0 "$?"
expect_eq "rows of a folder with -r" "$(printf '  1 %s 変換終了\n  2 %s 変換終了' \
  "$tree${sep}b.VX" "$tree${sep}sub${sep}a.vx")" "$report"
printf '# tonight\r\n%s\r\n\r\n%s\r\n%s\r\n' "$tree${sep}b.VX" "$(native "$work/other/b.VX")" \
  "$tree${sep}b.VX" >"$work/list.txt"
report=$(batch --output-dir "$out" --list "$(native "$work/list.txt")" --report "$(native "$work/report.json")")
expect_eq "exit code of an output written twice" 1 "$?"
expect_eq "rows of a list with an output written twice" "$(printf '  1 %s 変換終了\n  2 %s エラー(4)' \
  "$tree${sep}b.VX" "$(native "$work/other/b.VX")")" "$report"
grep -q "is also the output of row 1" "$work/stderr" || fail "no reason for row 2: $(cat "$work/stderr")"
grep -q "converted once" "$work/stderr" || fail "no note of the drawing named twice"
expect_eq "rows in the report" "0 4" \
  "$(python3 -c 'import json,sys; print(*[d["result"] for d in json.load(open(sys.argv[1]))["drawings"]])' \
    "$work/report.json")"

echo "== Three drawings combined"
rm -f "$work"/out/*
batch --combine --output-dir "$out" --report "$(native "$work/combined.json")" "${valid[@]:0:3}" \
  >/dev/null
expect_eq "exit code of a combined run" 0 "$?"
expect_eq "pages of the combined PDF" 3 "$(pages "$work/out/$(name_of "${valid[0]}").pdf")"
pdf="$out$sep$(name_of "${valid[0]}").pdf"
expect_eq "outputs in the report of a combined run" "True $pdf $pdf $pdf" \
  "$(python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))
print(r["combined"], *[d["output"] for d in r["drawings"]])' "$work/combined.json")"
# The PDF, and beside it the record of the drawings it was made from.
expect_eq "files of a combined run" "$(printf '%s\n' "$(name_of "${valid[0]}").pdf" "$(name_of "${valid[0]}").pdf.plotxfer-drawings")" "$(ls "$work/out")"

echo "== A reader that stops after the first row"
if [ -z "$wine" ]; then
  rm -f "$work"/out/*
  first=$("$work/app/plotxfer-batch" --output-dir "$out" --report "$work/piped.json" "${valid[@]:0:3}" \
    2>"$work/stderr" | head -1)
  expect_eq "exit code with standard output closed" 0 "${PIPESTATUS[0]}"
  expect_eq "the row read" "$(printf '  1 %s 変換終了' "${valid[0]}")" "$first"
  expect_eq "outputs with standard output closed" 3 "$(ls "$work/out" | wc -l)"
  expect_eq "report with standard output closed" "0 3" "$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))
print(r["exit_status"], r["summary"]["converted"])' "$work/piped.json")"
fi

echo "== A list saved by an editor in UTF-16; the report on standard output, or over the list"
printf '\xff\xfe' >"$work/utf16.txt"
printf '"%s"  \r\n  # a comment\r\n' "${valid[0]}" | iconv -f UTF-8 -t UTF-16LE >>"$work/utf16.txt"
if [ -z "$wine" ]; then
  # (Under Wine the rows are read through CP932, which the UTF-8 report is not.)
  json=$(batch --output-dir "$out" --list "$work/utf16.txt" --report -)
  expect_eq "exit code of a UTF-16 list" 0 "$?"
  expect_eq "row of a UTF-16 list, on standard error" "$(printf '  1 %s 変換終了' "${valid[0]}")" \
    "$(grep -a '^  1 ' "$work/stderr")"
  expect_eq "report on standard output" "1" "$(printf '%s' "$json" | python3 -c 'import json,sys
print(json.load(sys.stdin)["summary"]["converted"])')"
else
  expect_eq "row of a UTF-16 list" "$(printf '  1 %s 変換終了' "${valid[0]}")" \
    "$(batch --output-dir "$out" --list "$(native "$work/utf16.txt")")"
fi
batch --output-dir "$out" --report "$(native "$work/utf16.txt")" --list "$(native "$work/utf16.txt")" >/dev/null
expect_eq "exit code of a report over the list" 2 "$?"

# Which tool processes of this test's application folder still run.
# (Under Wine the command line holds the Windows path: either separator is matched.)
tools_left() { pgrep -f "$(basename "$work").app.(VXCVPX|RSTKIT.RASTRON)" | tr '\n' ' '; }

echo "== A tool that runs too long"
start=$(date +%s%N)
PLOTXFER_STANDIN_SLEEP_MS=10000 PLOTXFER_STANDIN_ONLY=VXCVPX batch --timeout 1 --output-dir "$out" "${valid[0]}" >"$work/rows"
status=$?
took=$((($(date +%s%N) - start) / 1000000))
expect_eq "exit code after a timeout" 1 "$status"
expect_eq "row after a timeout" "$(printf '  1 %s エラー(2)' "${valid[0]}")" "$(cat "$work/rows")"
grep -q "timed out" "$work/stderr" || fail "no reason for the timeout: $(cat "$work/stderr")"
[ "$took" -lt 5000 ] || fail "a timeout of 1 s took $took ms"
expect_eq "tool processes left after a timeout" "" "$(tools_left)"

if [ -z "$wine" ]; then
  echo "== A run refused: an output utility running, the folder held by another run"
  rm -f "$work"/out/*
  params_before=$(md5sum <"$work/app/vxcsd.cprm")
  PLOTXFER_STANDIN_SLEEP_MS=5000 "$work/app/RSTKIT/RASTRON.EXE" 2>/dev/null &
  busy=$!
  sleep 0.3
  batch --colour --output-dir "$out" --report "$work/refused.json" "${valid[0]}" >/dev/null
  expect_eq "exit code while RASTRON.EXE runs" 3 "$?"
  kill "$busy" 2>/dev/null; wait "$busy" 2>/dev/null
  flock -o "$work/app/RSTKIT/PLOTXFER.LCK" sleep 3 &
  holder=$!
  sleep 0.3
  batch --colour --output-dir "$out" "${valid[0]}" >/dev/null
  expect_eq "exit code while another run holds the folder" 3 "$?"
  kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
  expect_eq "outputs of refused runs" "" "$(ls "$work/out")"
  expect_eq "parameter file after refused runs" "$params_before" "$(md5sum <"$work/app/vxcsd.cprm")"
  expect_eq "report of a refused run" "3" \
    "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["exit_status"])' "$work/refused.json")"
fi

# Ctrl-C: natively the terminal sends it to its whole foreground process group, and the tools,
# in a group of their own, must not die of it; on Windows the console sends it to the programs
# attached to it, and the tools have no console. Under Wine the program's Unix process gets
# SIGINT, which Wine hands to its console control handler.
start_batch() {  # start_batch ARGS...: in the background; $batch_pid is what Ctrl-C goes to
  if [ -n "$wine" ]; then
    "$wine" "$work/app/plotxfer-batch.exe" "$@" >"$work/rows.raw" 2>"$work/stderr" &
    batch_pid=$!
  else
    setsid "$work/app/plotxfer-batch" "$@" >"$work/rows.raw" 2>"$work/stderr" &
    batch_pid=$!
  fi
}
ctrl_c() {
  if [ -n "$wine" ]; then kill -INT "$batch_pid"; else kill -INT -- "-$batch_pid"; fi
}
wait_for_tool() {
  for _ in $(seq 100); do [ -n "$(tools_left)" ] && return; sleep 0.1; done
  fail "no tool started within 10 s"
}
finished_rows() { iconv -f "$([ -n "$wine" ] && echo CP932 || echo UTF-8)" -t UTF-8 "$work/rows.raw" | tr -d '\r'; }

echo "== Ctrl-C during the first of three drawings"
rm -f "$work"/out/*
PLOTXFER_STANDIN_SLEEP_MS=2000 PLOTXFER_STANDIN_ONLY=VXCVPX start_batch \
  --output-dir "$out" --report "$(native "$work/stopped.json")" "${valid[@]:0:3}"
wait_for_tool
ctrl_c
wait "$batch_pid"
expect_eq "exit code after Ctrl-C" 130 "$?"
expect_eq "rows after Ctrl-C" "$(printf '  1 %s 変換終了\n  2 %s (not reached)\n  3 %s (not reached)' \
  "${valid[0]}" "${valid[1]}" "${valid[2]}")" "$(finished_rows)"
expect_eq "outputs after Ctrl-C" "$(name_of "${valid[0]}").pdf" "$(ls "$work/out")"
expect_eq "report after Ctrl-C" "130 1 2" "$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))
print(r["exit_status"], r["summary"]["converted"], r["summary"]["not_reached"])' "$work/stopped.json")"

echo "== A second Ctrl-C ends the running tool"
rm -f "$work"/out/*
PLOTXFER_STANDIN_SLEEP_MS=10000 PLOTXFER_STANDIN_ONLY=VXCVPX start_batch \
  --output-dir "$out" "${valid[@]:0:2}"
wait_for_tool
ctrl_c
sleep 0.3
ctrl_c
wait "$batch_pid"
expect_eq "exit code after two Ctrl-C" 130 "$?"
expect_eq "rows after two Ctrl-C" "$(printf '  1 %s 中断\n  2 %s (not reached)' \
  "${valid[0]}" "${valid[1]}")" "$(finished_rows)"
expect_eq "tool processes left after two Ctrl-C" "" "$(tools_left)"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
