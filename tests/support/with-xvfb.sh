#!/usr/bin/env bash
# Runs one command under its own Xvfb server, so GUI tests can run in parallel without racing for
# a display number, with its own settings and runtime folders and no session bus. The server is
# stopped on exit.
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/kv-xvfb.XXXXXX")
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb writes the display number once it accepts connections.
for _ in $(seq 1 200); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with-xvfb: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "with-xvfb: no display number from Xvfb after 10 s" >&2
  exit 1
fi

export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
# No session bus: the tests need none, and with no address libdbus would autolaunch one through
# the X server (leaving a bus daemon behind where dbus-launch exists, and leaking the failed
# attempt's address string where it does not). Connections to this address simply fail.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
"$@"
status=$?
exit "$status"
