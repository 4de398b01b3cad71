#!/usr/bin/env bash
# plotxfer-batch left to itself, natively with the stand-in tools: a run killed while its export
# tool runs, a combined PDF of another set of drawings, a full disk, and the run's temporary
# files. Exit 77 (skipped) only for the full disk, where no private tmpfs can be mounted.
#   unattended_e2e.sh DEMO-DIR
set -uo pipefail
demo=$1

# The output utility is looked for on the whole machine: where it can, the test sees only its own
# processes (a private PID namespace), so other runs on this machine cannot hold it up.
if [ -z "${PLOTXFER_UNATTENDED_INNER:-}" ] &&
  unshare --user --map-root-user --pid --fork --mount-proc true 2>/dev/null; then
  PLOTXFER_UNATTENDED_INNER=1 exec unshare --user --map-root-user --pid --fork --mount-proc \
    bash "$0" "$@"
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-unattended.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$demo/app" "$work/app"
mkdir -p "$work/d" "$work/out"
export PLOTXFER_REGISTRY_FILE=$work/settings.reg
export PLOTXFER_STANDIN_LOG=$work/tools.log
export PLOTXFER_STANDIN_FAULTS=$work/faults.plan
: >"$PLOTXFER_STANDIN_FAULTS"
# Other runs on this machine (tests of other trees) may hold the output utility for a while.
batch() { "$work/app/plotxfer-batch" --no-progress --wait 300 "$@"; }
for n in a x p q r s; do cp "$demo/drawings/plan.VX" "$work/d/$n.VX"; done
# The document title of a stand-in PDF: the drawing's file name in UTF-16, in hexadecimal.
title_of() {
  printf 'FEFF%s' "$(printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n' | sed 's/\(..\)/00\1/g' |
    tr a-f A-F)"
}
is_output_of() { grep -q -a -F "/Title <$(title_of "$2")>" "$1" 2>/dev/null; }
rstkit_leftovers() { find "$work/app/RSTKIT" \( -name '*.CSD' -o -name 'PDFCONTINU.p2' \) | sort; }

echo "== kill -9 while the export tool runs: the next run is refused or right, never wrong"
# a's export sleeps; x's output utility waits long enough for a left-over export of a to write
# its CSD file under x's run.
printf 'VXCVPX a sleep=1500\nRASTRON x sleep=2500\n' >"$PLOTXFER_STANDIN_FAULTS"
"$work/app/plotxfer-batch" --no-progress --wait 300 --pdf --output-dir "$work/out" \
  "$work/d/a.VX" >/dev/null 2>&1 &
victim=$!
for _ in $(seq 6000); do
  grep -q 'a.VX' "$PLOTXFER_STANDIN_LOG" 2>/dev/null && break
  sleep 0.05
done
{
  kill -9 "$victim"
  wait "$victim"
} 2>/dev/null
# Without --wait: a run that waited for the left-over tool would hide it.
"$work/app/plotxfer-batch" --no-progress --pdf --output-dir "$work/out" "$work/d/x.VX" \
  >"$work/next.txt" 2>&1
rc=$?
case $rc in
  3) ;;  # refused: the export tool of the folder still ran
  0) is_output_of "$work/out/x.pdf" x.VX || fail "the next run reported x.pdf converted, but it is not x's" ;;
  *) fail "the next run ended with $rc: $(cat "$work/next.txt")" ;;
esac
sleep 2
[ -e "$work/out/a.pdf" ] && fail "a.pdf was written after its converter was killed"
[ -z "$(rstkit_leftovers)" ] || fail "the killed run's export tool lived on: $(rstkit_leftovers)"
: >"$PLOTXFER_STANDIN_FAULTS"

echo "== a run leaves no temporary file in RSTKIT, whatever its outcome"
batch --pdf --output-dir "$work/out" "$work/d/p.VX" "$work/d/q.VX" >/dev/null 2>&1
batch --pdf --combine --output-dir "$work/out" "$work/d/p.VX" "$work/d/q.VX" >/dev/null 2>&1
echo 'RASTRON p no-output' >"$PLOTXFER_STANDIN_FAULTS"
batch --pdf --combine --output-dir "$work/out" "$work/d/p.VX" "$work/d/q.VX" >/dev/null 2>&1
[ $? -eq 1 ] || fail "a combination whose output utility writes nothing did not fail"
: >"$PLOTXFER_STANDIN_FAULTS"
[ -z "$(rstkit_leftovers)" ] || fail "temporary files left in RSTKIT: $(rstkit_leftovers)"

echo "== --combine --skip-up-to-date: the same drawings in the same order, or convert again"
rm -f "$work/out/p.pdf"
skipped() { grep -c 'up to date, skipped' "$work/combined.txt"; }
combine() { batch --pdf --combine --skip-up-to-date --output-dir "$work/out" "$@" >"$work/combined.txt" 2>&1; }
combine "$work/d/p.VX" "$work/d/q.VX" "$work/d/r.VX"
[ "$(skipped)" = 0 ] || fail "a missing PDF was taken as up to date"
sleep 1.1
combine "$work/d/p.VX" "$work/d/q.VX" "$work/d/r.VX"
[ "$(skipped)" = 3 ] || fail "the same set again was converted again: $(cat "$work/combined.txt")"
touch -d '2000-01-01' "$work/d/s.VX"
for set in "p q s" "p r q" "p q"; do
  args=()
  for n in $set; do args+=("$work/d/$n.VX"); done
  sleep 1.1
  combine "${args[@]}"
  [ "$(skipped)" = 0 ] || fail "the PDF of p q r was kept for the set $set"
done

echo "== a full disk keeps the last good output"
if unshare --user --map-root-user --mount true 2>/dev/null; then
  echo 'the last good output' >"$work/good.pdf"
  unshare --user --map-root-user --mount bash -c '
    set -u
    full=$1/full
    mkdir -p "$full"
    mount -t tmpfs -o size=64k tmpfs "$full" || exit 77
    cp "$1/good.pdf" "$full/p.pdf"
    dd if=/dev/zero of="$full/filler" bs=1k count=1000 2>/dev/null
    "$1/app/plotxfer-batch" --no-progress --wait 300 --pdf --output-dir "$full" "$1/d/p.VX" \
      >"$1/full.txt" 2>&1
    echo "rc=$?" >>"$1/full.txt"
    cmp -s "$1/good.pdf" "$full/p.pdf" && echo "kept" >>"$1/full.txt"
    ls "$full" >>"$1/full.txt"
  ' unattended "$work"
  if [ $? -eq 77 ]; then
    echo "skipped: no tmpfs can be mounted here"
  else
    grep -qx 'rc=1' "$work/full.txt" || fail "a full disk did not fail the run: $(cat "$work/full.txt")"
    grep -qx 'kept' "$work/full.txt" || fail "the last good output was lost: $(cat "$work/full.txt")"
    grep -q 'previous output was kept' "$work/full.txt" ||
      fail "the failed row does not say the output was kept: $(cat "$work/full.txt")"
    grep -q 'plotxfer-kept' "$work/full.txt" && fail "the kept output was left aside"
  fi
elif [ $failures -eq 0 ]; then
  echo "skipped: no private mount namespace here"
  exit 77
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
