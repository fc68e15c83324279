#!/usr/bin/env bash
# The installer end to end under Wine, in a Wine prefix of its own (so the
# shared test prefix never gets a camera library in its program folder):
# install silently, run the installed programs, check the shortcuts and the
# uninstall entry, install a newer package over it, uninstall, and check that the
# data folder's files are untouched.
#
#   packaging/tests/msi_test.sh BIN_FOLDER WORK_FOLDER VERSION
#
# Every Wine step is bounded; the whole run takes well under two minutes.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ $# -eq 3 ] || { echo "usage: msi_test.sh BIN_FOLDER WORK_FOLDER VERSION" >&2; exit 2; }
bin=$1 work=$2 version=$3

failures=0 passed=0
check() { # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then
        passed=$((passed + 1)); echo "ok: $what"
    else
        failures=$((failures + 1)); echo "FAILED: $what"
    fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
lacks() { ! grep -qF -- "$2" <<<"$1"; }

rm -rf "$work"
mkdir -p "$work"
IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
"$root/packaging/build-msi" "$bin" "$work/old.msi" "$version" >/dev/null || { echo "FAILED: building the package"; exit 1; }
"$root/packaging/build-msi" "$bin" "$work/new.msi" "$newer" >/dev/null || { echo "FAILED: building the newer package"; exit 1; }

export SUITE_WINEPREFIX="$work/prefix"
source "$root/tools/wine-env"
# No desktop entries from the shortcuts on the machine running the test.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=$("$root/tools/xvfb-ensure") || { echo "FAILED: no display"; exit 1; }
    export DISPLAY
fi
cleanup() { WINEPREFIX="$work/prefix" timeout 30 "$SUITE_WINESERVER" -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
timeout 300 "$SUITE_WINE" wineboot -i </dev/null >/dev/null 2>&1 || { echo "FAILED: creating the Wine prefix"; exit 1; }

wine() { timeout --kill-after=5 "${limit:-120}" "$SUITE_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
uninstall_entries() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s; }

drive_c="$WINEPREFIX/drive_c"
program="$drive_c/Program Files/Quarnel/Varnik"
library="$drive_c/Program Files/Quarnel/Korvath/bin-pc/x64/mkApi.dll"
data="$drive_c/ProgramData/Quarnel/Varnik V$version"

# The user's data before the suite is installed: the port setting the programs
# read, and a file of the user's own.
mkdir -p "$data"
printf '[CommDev_0]\r\nPort=EMULATOR\r\n' >"$data/Varnik.ini"
printf '; kept by the user\r\n' >"$data/Notes.ini"

wine msiexec /i "$(winpath "$work/old.msi")" /qn >/dev/null
check "the package installs silently" test -f "$program/Varnik.exe"
for f in Varnik.exe Merrow.exe KIV_KL7700.dll KIVInst.dll HapDeviceClient.dll AppFramework.dll Framix.dll FramixHost.exe \
    FramixView.exe FramixZelmkAPI.dll kl7700-emu.exe; do
    check "$f is in the program folder" test -f "$program/$f"
done
check "mkApi.dll is in Korvath\\bin-pc\\x64 and not beside the programs" \
    bash -c '[ -f "$1" ] && [ ! -e "$2/mkApi.dll" ]' _ "$library" "$program"

# Shortcuts: the common Start menu, or the user's where Wine puts per-machine ones.
shortcut() {
    local name=$1 target=$2 lnk
    for lnk in "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnik/$name.lnk" \
        "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs/Varnik/"$name.lnk"; do
        [ -f "$lnk" ] && grep -qaF "$target" "$lnk" && return 0
    done
    return 1
}
check "a Start-menu shortcut starts Varnik" shortcut Varnik 'Varnik.exe'
check "a Start-menu shortcut starts FramixView" shortcut FramixView 'FramixView.exe'

entries=$(uninstall_entries)
check "the uninstall entry names the product, its version and the company" \
    bash -c 'grep -q "DisplayName *REG_SZ *Varnik $1\$" <<<"$2" && grep -q "DisplayVersion *REG_SZ *$1\$" <<<"$2" &&
             grep -q "Publisher *REG_SZ *Quarnel\$" <<<"$2" && grep -q "UninstallString.*MsiExec.exe /X{" <<<"$2"' _ \
    "$version" "$entries"

merrow=$(wine 'C:\Program Files\Quarnel\Varnik\Merrow.exe' -l; echo "exit ${PIPESTATUS[0]}")
check "the installed Merrow lists the camera's device client" contains "$merrow" $'ID = 65536:\tSorvel SX-20 / KL-7700 Control'
check "the installed Merrow exits with 0" contains "$merrow" "exit 0"
host=$(wine 'C:\Program Files\Quarnel\Varnik\FramixHost.exe' init cameras; echo "exit ${PIPESTATUS[0]}")
check "the installed FramixHost lists the simulated cameras" contains "$host" '0: 100001 "Mono"'
check "the grabber loads mkApi.dll from the Korvath folder at the first attempt" \
    bash -c 'grep -qF "Trying to load C:\\Program Files\\Quarnel\\Korvath\\bin-pc\\x64\\mkApi.dll" <<<"$1" &&
             ! grep -qF "mkApi.dll failed." <<<"$1"' _ "$host"
check "the installed FramixHost exits with 0" contains "$host" "exit 0"
[ "$failures" -eq 0 ] || printf '%s\n%s\n' "$merrow" "$host"

# What the programs and the user left in the data folder, to compare after the uninstall.
data_before=$(cd "$data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)

wine msiexec /i "$(winpath "$work/new.msi")" /qn >/dev/null
entries=$(uninstall_entries)
check "the newer package replaces the older: one entry, the newer version" \
    bash -c '[ "$(grep -c "DisplayName *REG_SZ *Varnik " <<<"$1")" = 1 ] && grep -q "DisplayVersion *REG_SZ *$2\$" <<<"$1"' _ \
    "$entries" "$newer"
check "the programs are still installed after the upgrade" test -f "$program/Merrow.exe" -a -f "$library"

code=$(grep -o 'MsiExec.exe /X{[^}]*}' <<<"$entries" | head -1 | sed 's/.*\/X//')
wine msiexec /x "$code" /qn >/dev/null
entries=$(uninstall_entries)
check "the uninstall removes the entry" lacks "$entries" "Varnik"
check "the uninstall removes the program and library folders" \
    bash -c '[ ! -e "$1" ] && [ ! -e "$2/Program Files/Quarnel" ]' _ "$program" "$drive_c"
shortcuts=$(find "$drive_c" -path '*Start Menu*' -name 'Varnik*' 2>/dev/null)
check "the uninstall removes the shortcuts" test -z "$shortcuts"
data_after=$(cd "$data" 2>/dev/null && find . -type f -print0 | sort -z | xargs -0 sha256sum)
check "the data folder keeps every file, unchanged" test -n "$data_before" -a "$data_before" = "$data_after"
check "the data folder still holds Varnik.ini" test -f "$data/Varnik.ini"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
