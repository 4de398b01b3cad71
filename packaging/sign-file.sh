#!/usr/bin/env bash
# sign-file.sh FILE: signs a Windows program or library in place with Authenticode, when a
# certificate is given: SIGN_PKCS12 names the PKCS#12 file, SIGN_PASSWORD holds its password and
# SIGN_TIMESTAMP_URL, when set, an RFC 3161 time-stamp server. Without SIGN_PKCS12 the file stays
# as it is. makensis calls it for the uninstaller and the installer, the build for the programs and
# the setup libraries.
set -euo pipefail
file=$1
[ -n "${SIGN_PKCS12:-}" ] || exit 0
args=(sign -pkcs12 "$SIGN_PKCS12" -h sha256 -n "画像変換アプリケーション (PLOTXFER)")
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$SIGN_TIMESTAMP_URL")
fi
signed=$file.signing
rm -f "$signed"
# The password goes through a pipe, never onto a command line that others can read.
osslsigncode "${args[@]}" -readpass <(printf '%s' "${SIGN_PASSWORD:-}") -in "$file" -out "$signed" \
  >/dev/null || { rm -f "$signed"; echo "sign-file: could not sign $file" >&2; exit 1; }
mv -f "$signed" "$file"
