# Sourced: start_private_xvfb FIRST LAST starts Xvfb on the first free display
# number in FIRST..LAST, waits until its socket exists and exports DISPLAY;
# sets xvfb_pid. Returns 1, with a message, when none could be started.
start_private_xvfb() {
  local first=$1 last=$2 display
  xvfb_pid=""
  for display in $(seq "$first" "$last"); do
    { [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; } && continue
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    # Poll for the socket: the server is ready once it listens.
    for _ in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$display" ]; then
        export DISPLAY=":$display"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  echo "could not start Xvfb on any display from $first to $last" >&2
  return 1
}
