#!/usr/bin/env bash
# Runs the Windows stand-ins under Wine and lets pdfinfo and identify judge what they wrote.
#   wine_outputs.sh <wine-run> <VXCVPX.exe> <RASTRON.EXE>
set -uo pipefail
wine_run=$1 vxcvpx=$2 rastron=$3
for tool in pdfinfo identify; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/RSTKIT"
win() { printf 'Z:%s' "$1" | tr / '\\'; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

printf 'XXXXKRESTO PLANX V4.0YYYY\x04ZZZZZZ' >"$work/plan.VX"
"$wine_run" "$vxcvpx" -M VXCSD.DLL -L VXCVLL.DLL -m export -p "$(win "$work/vxcsd.cprm")" \
  -l "$(win "$work/VXCSD.lst")" "$(win "$work/plan.VX")" "$(win "$work/RSTKIT/VXTMPDT2.CSD")" \
  2>/dev/null || fail "export ended with $?"
csd=$(win "$work/RSTKIT/VXTMPDT2.CSD")

# PDF, A4 landscape: 841.89 x 595.28 points.
"$wine_run" "$rastron" "$csd" /s "/pdfpath:$(win "$work/plan.pdf")" /c:0 /IgLWidth:0 \
  /FontEmbed:0 /vf:0 /pdfps:x00000129000000d2 "/EllipseDiv:  5.0" /PDFVec:1 \
  "/VXAppPath:$(win "$work/RSTKIT")" 2>/dev/null || fail "PDF output ended with $?"
info=$(pdfinfo "$work/plan.pdf" 2>&1) || fail "pdfinfo refused the PDF: $info"
grep -q '^Pages: *1$' <<<"$info" || fail "PDF pages: $info"
grep -Eq '^Page size: *841.89 x 595.2(8|76) pts' <<<"$info" || fail "PDF size: $info"

# Each image format at 150 dpi, A4 portrait: 1240 x 1754 pixels.
ext=(bmp gif jpg tif)
for type in 0 1 2 3; do
  out="$work/plan.${ext[$type]}"
  "$wine_run" "$rastron" "$csd" /s "/Imagepath:$(win "$out")" /c:0 "/ImageType:$type" /vf:0 \
    /Imageps:x000000d200000129 /ImageDPI:150 /PDFVec:0 2>/dev/null ||
    fail "image type $type ended with $?"
  got=$(identify -format '%w %h' "$out" 2>&1) || fail "identify refused $out: $got"
  [ "$got" = "1240 1754" ] || fail "$out is $got"
done

[ $failures -eq 0 ] && echo "Windows stand-in outputs read back correctly"
exit $((failures > 0))
