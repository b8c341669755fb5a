#!/usr/bin/env bash
# Closes the real Calderwynfell.exe in the middle of a scan of the test bed's
# silent range (2000 ms timeout, 3 attempts): the window must go and the
# process end with code 0 within one and a half timeouts: the probes in flight
# end within one, a second round would need two. Prints "close: N ms".
# Needs root and a ready test bed (scripts/testbed).
#   tests/e2e/close_during_scan.sh BUILD_DIR STATE_FILE [DELAY_S]
# DELAY_S (default 1) is how long the scan runs before WM_CLOSE, so the close
# lands in the middle of the first probes rather than at their start.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
state=$2
delay=${3:-1}
# The real exe under a name that Wine's settings (scripts/setup) mark as not
# managed: on a bare Xvfb, Wine otherwise waits 2 s for a window manager that
# does not exist on every destruction of a managed window, hiding the close.
exe="$build/tests/e2e/calderwynfell_close_test.exe"
cp "$build/ui/Calderwynfell.exe" "$exe" || exit 1
driver_exe="$build/tests/e2e/e2e_driver.exe"
timeout_ms=2000

# shellcheck source=../../scripts/lib/app_under_wine.sh
source "$root/scripts/lib/app_under_wine.sh"
require_test_bed close "$state"
network=${silent%/*}
first="${network%.*}.$((${network##*.} + 1))"
last="${network%.*}.$((${network##*.} + 254))"

start_private_xvfb 250 299 || exit 1

log=$(mktemp)
driver() { wine "$driver_exe" "$@" 2>>"$log"; }
fail() {
  echo "close: FAILED: $1"
  cat "$log"
  exit 1
}

wine "$exe" >/dev/null 2>&1 &
app_pid=$!
# Timeout choice 3 is 2000 ms, attempts choice 2 is 3 attempts.
driver start "$first" "$last" 3 2 >/dev/null || fail "starting the scan of $first - $last"
sleep "$delay"  # not a wait for state: it puts the close mid-probe
result=$(driver close-timed $((3 * timeout_ms / 2)) | tr -d "\r") || fail "close: $result"
read -r _ closed_ms _ code _ gone <<<"$result"
wait "$app_pid"
exit_code=$?
app_pid=""
[ "$gone" = 1 ] || fail "the window is still there after $closed_ms ms"
[ "$code" = 0 ] && [ "$exit_code" = 0 ] || fail "exit code $code (wait: $exit_code)"
echo "close: $closed_ms ms (scan of $first - $last, ${timeout_ms} ms timeout, 3 attempts, closed after ${delay} s)"
