#!/usr/bin/env bash
# End-to-end run of the real Calderwynfell.exe under Wine on a private Xvfb,
# driven from outside as a user would: type 127.0.0.1 - 127.0.0.254, press F5,
# wait for the end, check the screen, switch to the list, export through the
# save dialog, check the CSV, close the window and expect exit code 0.
# Only loopback is ever scanned. Needs root (Wine's ICMP needs it here).
#   tests/e2e/run_e2e.sh [build dir, default build/mingw]
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/mingw}
exe="$build/ui/Calderwynfell.exe"
driver_exe="$build/tests/e2e/e2e_driver.exe"
out="$build/e2e"

# shellcheck source=../../scripts/lib/app_under_wine.sh
source "$root/scripts/lib/app_under_wine.sh"
require_root e2e
for f in "$exe" "$driver_exe"; do
  [ -f "$f" ] || { echo "e2e: $f is missing (build Calderwynfell and e2e_driver)" >&2; exit 1; }
done
rm -rf "$out" && mkdir -p "$out"

start_private_xvfb 200 249 || { echo "e2e: could not start Xvfb" >&2; exit 1; }

fail() {
  echo "e2e: FAILED: $1"
  import -window root "$out/failure.png" 2>/dev/null || true
  exit 1
}
driver() { wine "$driver_exe" "$@" 2>>"$out/driver.log"; }

wine "$exe" >>"$out/wine.log" 2>&1 &
app_pid=$!

# The driver waits for the window and its proposed range, types the range and
# reads it back before F5; it refuses anything outside 127/8.
driver scan 127.0.0.1 127.0.0.254 || fail "scan (see $out/driver.log)"
driver settle || fail "the window did not finish painting"
driver geometry >"$out/geometry.txt" || fail "geometry"
import -window root "$out/after_scan.png" && convert "$out/after_scan.png" "$out/after_scan.ppm" ||
  fail "screenshot"
driver list || fail "switching to the list"
csv_path=$(winepath -w "$out/export.csv" 2>/dev/null)
driver export "$csv_path" || fail "export through the dialog"
driver settle || fail "the window did not finish painting after the export"
import -window root "$out/after_export.png" || true
python3 "$root/tests/e2e/check_e2e.py" "$out/after_scan.ppm" "$out/geometry.txt" "$out/export.csv" ||
  fail "screen or CSV check"

driver close || fail "WM_CLOSE"
wait "$app_pid"
code=$?
app_pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
echo "e2e: passed (exit code 0; screenshots in $out)"
