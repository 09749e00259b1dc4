#!/usr/bin/env bash
# Set-up, build and start the application; under a private Xvfb server when there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build

app="$root/build/app/Kestavor"
if [ ! -x "$app" ]; then
  echo "Everything is built; the application window is not built yet."
  exit 0
fi
# The library folders are read from the working directory.
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
  exec "$root/tests/support/with-xvfb.sh" "$app" "$@"
fi
exec "$app" "$@"
