#!/usr/bin/env bash
# DLL planting: a copy of the release exe in a folder that also holds marker
# DLLs (tests/e2e/planted_marker.cpp) named after the DLLs it imports or loads
# on demand. Wine is told to look in the app's folder first, as Windows does
# for a DLL that is not a KnownDLL (WINEDLLOVERRIDES=name=n,b). The app then
# scans 127.0.0.1 - 127.0.0.8, is read through MSAA, exports through the save
# dialog and is closed; no marker may have been loaded, and each step must work.
# Imports that Windows serves from KnownDLLs are not planted: Windows never
# looks for them beside the exe, and Wine does not model KnownDLLs.
# Needs root (Wine's ICMP needs it here).
#   tests/e2e/planted_dlls.sh [EXE, default build/release/ui/Calderwynfell.exe] [BUILD_DIR, default build/mingw]
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/release/ui/Calderwynfell.exe}
build=${2:-$root/build/mingw}
driver_exe="$build/tests/e2e/e2e_driver.exe"
marker="$build/tests/e2e/planted_marker.dll"
folder="$build/planted"

# shellcheck source=../../scripts/lib/app_under_wine.sh
source "$root/scripts/lib/app_under_wine.sh"
require_root planted
for f in "$exe" "$driver_exe" "$marker"; do
  [ -f "$f" ] || { echo "planted: $f is missing (scripts/package; build e2e_driver and planted_marker)" >&2; exit 1; }
done
rm -rf "$folder" && mkdir -p "$folder"
cp "$exe" "$folder/Calderwynfell.exe"

# Imported DLLs from the import table; DLLs loaded on demand by their names in
# the sources (the runtime libraries' own loads are of KnownDLLs).
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
on_demand=$(git -C "$root" grep -hoE 'L"[A-Za-z0-9_]+\.dll"' -- core results ui | sed 's/^L"//; s/"$//' | tr '[:upper:]' '[:lower:]')
known=$(PYTHONPATH="$root/scripts/lib" python3 -c 'import check_release; print(" ".join(check_release.KNOWN_DLLS))')
planted=()
for dll in $(printf '%s\n' "$imports" "$on_demand" | sort -u); do
  name=${dll%.dll}
  if grep -qx "$dll" <<<"$imports" && grep -qw "$name" <<<"$known" && ! grep -qx "$dll" <<<"$on_demand"; then
    continue
  fi
  cp "$marker" "$folder/$name.dll"
  planted+=("$name")
done
[ ${#planted[@]} -gt 0 ] || { echo "planted: nothing to plant" >&2; exit 1; }
echo "planted: ${planted[*]}"

export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
names=$(IFS=,; echo "${planted[*]}")
export WINEDLLOVERRIDES="mscoree,mshtml=;$names=n,b"
start_private_xvfb 300 349 || { echo "planted: could not start Xvfb" >&2; exit 1; }

log="$folder/driver.log"
driver() { wine "$driver_exe" "$@" 2>>"$log"; }
loaded() { find "$folder" -maxdepth 1 -name '*.loaded' -printf '%f ' | sed 's/\.loaded / /g'; }
fail() {
  echo "planted: FAILED: $1; markers loaded: $(loaded)"
  cat "$log"
  exit 1
}

wine "$folder/Calderwynfell.exe" >"$folder/wine.log" 2>&1 &
app_pid=$!
driver scan 127.0.0.1 127.0.0.8 >/dev/null || fail "scan of 127.0.0.1 - 127.0.0.8"
driver accessible >/dev/null || fail "reading the matrix through MSAA"
driver export "$(winepath -w "$folder/export.csv" 2>/dev/null)" >/dev/null || fail "export through the save dialog"
driver close || fail "WM_CLOSE"
wait "$app_pid"
code=$?
app_pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
# Loopback answers: every row online means the real IP Helper did the probing.
online=$(grep -c '^"127\.0\.0\.[1-8]","在线"' "$folder/export.csv")
[ "$online" -eq 8 ] || fail "the export holds $online online loopback rows, not 8"
[ -z "$(loaded)" ] || fail "the app loaded planted DLLs"
echo "planted: passed (${#planted[@]} DLLs planted, none loaded; scan, MSAA, export and exit code 0)"
