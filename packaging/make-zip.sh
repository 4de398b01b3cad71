#!/usr/bin/env bash
# Makes a zip whose bytes depend only on its files and EPOCH: every entry carries that time, in a
# fixed order, without the owner and extra time fields zip would otherwise record.
#   make-zip.sh OUT.zip EPOCH TOP-FOLDER FILE...   (OUT.zip an absolute path)
set -euo pipefail
out=$1 epoch=$2 top=$3
shift 3
stage=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-zip.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$top"
for f in "$@"; do
  cp "$f" "$stage/$top/"
done
find "$stage/$top" -exec touch -d "@$epoch" {} +
rm -f "$out"
(cd "$stage" && find "$top" -type f | LC_ALL=C sort | TZ=UTC zip -X -q -D "$out.tmp" -@)
mv "$out.tmp" "$out"
