#!/usr/bin/env bash
# Signing with a throw-away certificate: the programs and setup libraries as the build signs them,
# an installer built with the same script and signer, and the uninstaller it writes under Wine.
# Every one must carry an intact signature that osslsigncode verifies against the certificate, and
# one changed byte must make the check fail.
#   signing_e2e.sh WINE-RUN SIGN-FILE MAKENSIS NSI PROGRAM BATCH DLL32 DLL64 VERSION -- NSIS-ARGS...
set -uo pipefail
wine=$1 sign=$2 makensis=$3 nsi=$4 program=$5 batch=$6 dll32=$7 dll64=$8 version=$9
shift 10

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
native() { printf 'Z:%s' "$1" | tr / '\\'; }

if "$wine" --32bit --version >/dev/null 2>&1; then
  target=x86-unicode
  run_setup() { "$wine" --32bit "$@"; }
else
  echo "== this machine cannot execute 32-bit code: the amd64 build of the installer"
  target=amd64-unicode
  run_setup() { "$wine" "$@"; }
fi

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=PLOTXFER signing test" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 &&
  openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" \
    -passout pass:throwaway >/dev/null 2>&1 || { echo "FAIL: openssl made no certificate"; exit 1; }

echo "== without a certificate nothing is signed"
cp "$program" "$work/unsigned.exe"
env -u SIGN_PKCS12 "$sign" "$work/unsigned.exe" || fail "sign-file without a certificate failed"
cmp -s "$program" "$work/unsigned.exe" || fail "sign-file changed a file without a certificate"
osslsigncode verify -in "$work/unsigned.exe" >/dev/null 2>&1 && fail "an unsigned file passed the check"

echo "== signed with the certificate"
export SIGN_PKCS12=$work/cert.p12 SIGN_PASSWORD=throwaway
mkdir "$work/signed" "$work/signed/x86" "$work/signed/amd64"
cp "$program" "$batch" "$work/signed/"
cp "$dll32" "$work/signed/x86/VxSetup.dll"
cp "$dll64" "$work/signed/amd64/VxSetup.dll"
for f in "$work"/signed/*.exe "$work"/signed/*/VxSetup.dll; do
  "$sign" "$f" || fail "sign-file failed on $f"
done
setup=$work/setup.exe
"$makensis" "$@" -DVERSION="$version" -DVERSION_QUAD="$version.0" -DTARGET=$target \
  -DPROGRAM="$work/signed/$(basename "$program")" -DBATCH="$work/signed/$(basename "$batch")" \
  -DVXSETUP="$work/signed/${target%-unicode}/VxSetup.dll" -DOUTFILE="$setup" "$nsi" \
  >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log"; fail "makensis failed"; }
run_setup "$setup" /S "/D=$(native "$work/installed")" </dev/null >/dev/null 2>&1 ||
  fail "the signed installer did not install"
uninstaller=$work/installed/PLOTXFER-uninstall.exe

signed=("$work"/signed/*.exe "$work"/signed/*/VxSetup.dll "$setup" "$uninstaller")
[ ${#signed[@]} -eq 6 ] || fail "expected 6 signed files, got ${#signed[@]}"
for f in "${signed[@]}"; do
  name=${f#"$work"/}
  out=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$f" 2>&1)
  [ $? -eq 0 ] && grep -q 'Signature verification: ok' <<<"$out" ||
    fail "$name: signature missing or broken: $(grep -i -m3 -E 'fail|error|no signature' <<<"$out")"
  # One byte in the middle of the signed content, well before the signature at the end.
  cp "$f" "$work/changed"
  offset=$(($(stat -c %s "$f") / 3))
  byte=$(od -An -tu1 -j "$offset" -N1 "$work/changed" | tr -d ' ')
  printf "\\$(printf '%03o' $(((byte + 1) % 256)))" |
    dd of="$work/changed" bs=1 seek="$offset" conv=notrunc status=none
  cmp -s "$f" "$work/changed" && fail "$name: the byte at $offset was not changed"
  osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed" >/dev/null 2>&1 &&
    fail "$name: a changed byte at $offset passed the check"
done
"$wine" "$uninstaller" /S "_?=$(native "$work/installed")" </dev/null >/dev/null 2>&1

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
