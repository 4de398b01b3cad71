#!/usr/bin/env bash
# The installer under Wine with code page 932, against a drafting-system folder of stand-ins whose
# name ends in 表 (0x95 0x5C: a trail byte that looks like a backslash).
#   installer_e2e.sh WINE-RUN PREFIX INSTALLER INSTALLER-AMD64 DEMO-DIR WINDOW-PROBE VERSION
#                    MAKENSIS NSI PROGRAM BATCH DLL32 DLL64 -- NSIS-ARGS...
# INSTALLER is the 32-bit one that ships; where this machine cannot execute 32-bit code the same
# script built for amd64 (with the 64-bit library) is tested instead, and the test says so. The
# next version, for the upgrade, is built here from the same script and files.
set -uo pipefail
wine=$1 prefix=$2 installer=$3 installer64=$4 demo=$5 probe=$6 version=$7
makensis=$8 nsi=$9 program=${10} batch=${11} dll32=${12} dll64=${13}
shift 14

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() {  # what expected actual
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-setup.XXXXXX")
next_version=${version%.*}.$((${version##*.} + 1))
next_installer=$work/PLOTXFER-$next_version-setup.exe
if "$wine" --32bit --version >/dev/null 2>&1; then
  run_with() { "$wine" --32bit "$@"; }
  target=x86-unicode dll=$dll32
  echo "== the 32-bit installer $(basename "$installer")"
else
  run_with() { "$wine" "$@"; }
  installer=$installer64 target=amd64-unicode dll=$dll64
  echo "== this machine cannot execute 32-bit code: the amd64 build $(basename "$installer64")"
fi
run_setup() { run_with "$installer" "$@"; }
"$makensis" "$@" -DVERSION="$next_version" -DVERSION_QUAD="$next_version.0" -DTARGET=$target \
  -DPROGRAM="$program" -DBATCH="$batch" -DVXSETUP="$dll" -DOUTFILE="$next_installer" "$nsi" \
  >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log"; fail "makensis: no $next_version installer"; }
native() { printf 'Z:%s' "$1" | tr / '\\'; }
reg_file() {  # name, then the lines of a registry file; imported through regedit as UTF-16
  local file=$work/$1.reg
  shift
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n'; printf '%s\r\n' "$@"; } |
    iconv -f UTF-8 -t UTF-16 >"$file"
  "$wine" regedit /S "$(native "$file")" </dev/null >/dev/null 2>&1
}
reg_escape() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
vellumix_key='HKEY_USERS\.DEFAULT\Software\Morva\Vellumix'
settings_key='HKEY_CURRENT_USER\Software\MORVA\PLOTXFER\BootData'
uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\PLOTXFER'
cleanup() {
  reg_file cleanup "[-$vellumix_key]" "[-$uninstall_key]" "[$settings_key]" '"InstallerTest"=-'
  rm -rf "$work"
}
trap cleanup EXIT

reg_value() {  # key value: the value's data as reg.exe prints it, in UTF-8
  "$wine" reg query "$1" /v "$2" </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
snapshot() { (cd "$1" && find . -type f -exec md5sum {} + | LC_ALL=C sort); }
# What an install or uninstall that must write nothing could touch: files (with their times), the
# Start menu and the uninstall entry.
state() {
  (cd "$app" && find . -printf '%p %s %T@\n' | LC_ALL=C sort)
  find "$menu" -printf '%p %T@\n' 2>/dev/null | LC_ALL=C sort
  reg_value "$uninstall_key" DisplayVersion
}
display_name="画像変換アプリケーション (PLOTXFER)"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$display_name"
installed=(PLOTXFER-uninstall.exe PLOTXFER.exe PLOTXFER.html plotxfer-batch.exe)

wait_gone() {  # path: the uninstaller runs on from a copy of itself; wait for it to finish
  for _ in $(seq 1 300); do
    [ -e "$1" ] || return 0
    sleep 0.1
  done
  fail "$1 still exists 30 s after the uninstaller started"
}

# The drafting system's folder: its tools, settings and parameter files, and nothing of ours.
app=$work/VELLUMIX表
mkdir -p "$app/RSTKIT"
cp "$demo/app/VXCVPX.exe" "$demo/app/VELLUMIX.SYS" "$demo/app/vxcsd.std" "$demo/app/vxcsd.cprm" \
  "$app/"
cp "$demo/app/RSTKIT/RASTRON.EXE" "$app/RSTKIT/"
before=$(snapshot "$app")

echo "== silent install into the folder VxSetup reports"
reg_file setup "[$vellumix_key]" "\"ExePath\"=\"$(reg_escape "$(native "$app")\\VXCVPX.exe")\"" \
  "[$settings_key]" '"InstallerTest"=dword:00000007'
run_setup /S </dev/null >/dev/null 2>&1
expect_eq "installer exit code" 0 "$?"
added=$(diff <(echo "$before") <(snapshot "$app") | sed -n 's/^> [0-9a-f]*  \.\///p' | LC_ALL=C sort | xargs)
expect_eq "files added to the drafting system's folder" "${installed[*]}" "$added"
expect_eq "drafting system's files untouched" "" \
  "$(diff <(echo "$before") <(snapshot "$app") | grep '^<')"
expect_eq "Start-menu entries" "$display_name ヘルプ.lnk|$display_name.lnk" \
  "$(cd "$menu" 2>/dev/null && ls | LC_ALL=C sort | paste -sd '|')"
expect_eq "DisplayName" "$display_name" "$(reg_value "$uninstall_key" DisplayName)"
expect_eq "DisplayVersion" "$version" "$(reg_value "$uninstall_key" DisplayVersion)"
expect_eq "Publisher" "MORVA" "$(reg_value "$uninstall_key" Publisher)"
expect_eq "InstallLocation" "$(native "$app")" "$(reg_value "$uninstall_key" InstallLocation)"
expect_eq "UninstallString" "\"$(native "$app")\\PLOTXFER-uninstall.exe\"" \
  "$(reg_value "$uninstall_key" UninstallString)"
size=$(reg_value "$uninstall_key" EstimatedSize)
[[ $size =~ ^0x[0-9a-f]+$ ]] && [ $((size)) -gt 100 ] || fail "EstimatedSize [$size] not in KB"

echo "== the installed programs"
expect_eq "plotxfer-batch --version" "plotxfer-batch $version" \
  "$("$wine" "$app/plotxfer-batch.exe" --version </dev/null 2>/dev/null | tr -d '\r')"
mkdir "$work/drawings" "$work/out"
cp "$demo/drawings/plan.VX" "$work/drawings/"
"$wine" "$app/plotxfer-batch.exe" --pdf --output-dir "$(native "$work/out")" \
  "$(native "$work/drawings/plan.VX")" </dev/null >/dev/null 2>&1
expect_eq "plotxfer-batch exit code" 0 "$?"
pdfinfo "$work/out/plan.pdf" >/dev/null 2>&1 || fail "no PDF from the installed plotxfer-batch.exe"
"$wine" "$app/PLOTXFER.exe" </dev/null >/dev/null 2>&1 &
program=$!
if "$wine" "$probe" wait main 30 </dev/null >/dev/null 2>&1; then
  echo "== install and uninstall while PLOTXFER.exe runs from the folder"
  running=$(state)
  run_setup /S </dev/null >/dev/null 2>&1
  expect_eq "installer exit code over a running copy" 3 "$?"
  expect_eq "what the refused install wrote" "$running" "$(state)"
  # _?= runs the uninstaller where it is, so that its exit code comes back.
  "$wine" "$app/PLOTXFER-uninstall.exe" /S "_?=$(native "$app")" </dev/null >/dev/null 2>&1
  expect_eq "uninstaller exit code with a running copy" 3 "$?"
  expect_eq "what the refused uninstall removed" "$running" "$(state)"
  "$wine" "$probe" close main </dev/null >/dev/null 2>&1
else
  fail "the installed PLOTXFER.exe shows no main dialog"
  kill "$program" 2>/dev/null
fi
wait "$program"

echo "== upgrade to $next_version"
touch -d '2001-01-01' "$app/PLOTXFER.exe" "$app/plotxfer-batch.exe" "$app/PLOTXFER.html"
run_with "$next_installer" /S </dev/null >/dev/null 2>&1
expect_eq "upgrade exit code" 0 "$?"
expect_eq "DisplayVersion after the upgrade" "$next_version" \
  "$(reg_value "$uninstall_key" DisplayVersion)"
expect_eq "files the upgrade did not replace" "" \
  "$(cd "$app" && find PLOTXFER.exe plotxfer-batch.exe PLOTXFER.html ! -newermt 2002-01-01)"
entries=$work/entries.reg
"$wine" regedit /E "$(native "$entries")" \
  'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall' </dev/null >/dev/null 2>&1
expect_eq "uninstall entries of the program" 1 \
  "$(iconv -f UTF-16 -t UTF-8 "$entries" | grep -c -E '^"DisplayName"=".*PLOTXFER')"
expect_eq "the user's settings after the upgrade" "0x7" "$(reg_value "$settings_key" InstallerTest)"

echo "== $version over $next_version"
newer=$(state)
run_setup /S </dev/null >/dev/null 2>&1
expect_eq "installer exit code over a newer version" 4 "$?"
expect_eq "what the refused older install wrote" "$newer" "$(state)"

# The conversion rewrote vxcsd.cprm and left the export's CSD file: the drafting system's files,
# which the uninstaller must leave as they are now. Our program's own files in RSTKIT (the run lock,
# a combined run's list and numbered CSD files) go with it.
ours_in_rstkit=(RSTKIT/PDFCONTINU.p2 RSTKIT/PLOTXFER.LCK RSTKIT/VXTMPPDF000.CSD RSTKIT/VXTMPPDF001.CSD)
for f in "${ours_in_rstkit[@]}"; do
  echo "$f" >>"$app/$f"
done
after_run=$(snapshot "$app")

echo "== silent uninstall"
"$wine" "$app/PLOTXFER-uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_gone "$app/PLOTXFER-uninstall.exe"
left=$(diff <(echo "$after_run") <(snapshot "$app") | sed -n 's/^< [0-9a-f]*  \.\///p' | LC_ALL=C sort | xargs)
expect_eq "files removed" "$(printf '%s\n' "${installed[@]}" "${ours_in_rstkit[@]}" | LC_ALL=C sort | xargs)" "$left"
expect_eq "the drafting system's files as the run left them" \
  "$(grep -v -E '  \./(PLOTXFER-uninstall\.exe|PLOTXFER\.exe|PLOTXFER\.html|plotxfer-batch\.exe|RSTKIT/(PDFCONTINU\.p2|PLOTXFER\.LCK|VXTMPPDF00[01]\.CSD))$' \
    <<<"$after_run")" "$(snapshot "$app")"
[ -e "$menu" ] && fail "Start-menu folder left: $menu"
expect_eq "uninstall entry" "" "$(reg_value "$uninstall_key" DisplayName)"
expect_eq "the user's settings" "0x7" "$(reg_value "$settings_key" InstallerTest)"

echo "== no drafting system: /D= decides"
reg_file forget "[-$vellumix_key]"
elsewhere=$work/elsewhere
run_setup /S "/D=$(native "$elsewhere")" </dev/null >/dev/null 2>&1
expect_eq "installer exit code with /D=" 0 "$?"
expect_eq "files in the /D= folder" "${installed[*]}" "$(cd "$elsewhere" 2>/dev/null && ls | LC_ALL=C sort | xargs)"
expect_eq "InstallLocation with /D=" "$(native "$elsewhere")" \
  "$(reg_value "$uninstall_key" InstallLocation)"
echo "== installed again elsewhere: the first copy goes"
moved=$work/moved
run_setup /S "/D=$(native "$moved")" </dev/null >/dev/null 2>&1
expect_eq "installer exit code into another folder" 0 "$?"
expect_eq "the first folder" "" "$(ls -A "$elsewhere" 2>/dev/null)"
expect_eq "InstallLocation after the move" "$(native "$moved")" \
  "$(reg_value "$uninstall_key" InstallLocation)"
"$wine" "$moved/PLOTXFER-uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_gone "$moved"

echo "== no drafting system, no /D="
run_setup /S </dev/null >/dev/null 2>&1
expect_eq "installer exit code without a folder" 2 "$?"
expect_eq "uninstall entry after a refused install" "" "$(reg_value "$uninstall_key" DisplayName)"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
