# Sourced by scripts that run the real exe on a private Xvfb: Wine quiet and
# without its Mono/Gecko installers, and on exit the app (if still running,
# $app_pid) and the Xvfb ($xvfb_pid) stopped.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
app_pid=""
stop_app_and_xvfb() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_app_and_xvfb EXIT
# shellcheck source=xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

# require_root NAME: exits 77 (skipped), saying why, unless this runs as root
# (Wine's ICMP needs it here).
require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "$1: skipped: ICMP under Wine needs root here"
    exit 77
  fi
}

# require_test_bed NAME STATE: as require_root, and the test bed in STATE must
# be ready; then sets answering and silent to the test bed's two ranges (CIDR).
require_test_bed() {
  local name=$1 state=$2 status
  require_root "$name"
  read -r status answering silent < <(head -n 1 "$state" 2>/dev/null || echo "unavailable")
  if [ "$status" != ready ]; then
    echo "$name: skipped: no test bed ($(head -n 1 "$state" 2>/dev/null))"
    exit 77
  fi
}
