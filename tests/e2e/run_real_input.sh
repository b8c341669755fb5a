#!/usr/bin/env bash
# Real key presses and mouse clicks from the X server (xdotool, XTEST) against
# the real Calderwynfell.exe under Wine on a private Xvfb, watched from a second
# process (app_observer.exe) that reads its focus, controls and, through MSAA,
# its painted texts. Scans only loopback and the test bed's ranges.
# Needs root (Wine's ICMP) and a ready test bed (scripts/testbed).
#   tests/e2e/run_real_input.sh BUILD_DIR STATE_FILE
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
state=$2
out="$build/real-input"

# shellcheck source=../../scripts/lib/app_under_wine.sh
source "$root/scripts/lib/app_under_wine.sh"
require_test_bed real-input "$state"
command -v xdotool >/dev/null || { echo "real-input: xdotool is missing (scripts/setup)" >&2; exit 1; }
rm -rf "$out" && mkdir -p "$out"

start_private_xvfb 300 349 || exit 1

wine "$build/ui/Calderwynfell.exe" >>"$out/wine.log" 2>&1 &
app_pid=$!
python3 "$root/tests/e2e/real_input.py" "$build/tests/e2e/app_observer.exe" "$silent" "$out" "$answering"
code=$?
if [ "$code" -ne 0 ]; then
  import -window root "$out/failure.png" 2>/dev/null || true
  exit "$code"
fi
wait_gone() { for _ in $(seq 1 100); do kill -0 "$app_pid" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
wait_gone || { echo "real-input: FAILED: the app did not end after Alt+F4"; exit 1; }
wait "$app_pid"
code=$?
app_pid=""
[ "$code" -eq 0 ] || { echo "real-input: FAILED: exit code $code"; exit 1; }
echo "real-input: passed"
