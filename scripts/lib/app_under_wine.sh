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
