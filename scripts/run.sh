#!/usr/bin/env bash
# Set-up, build and start the application; under a private Xvfb server when there is no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build

app="$root/build/app/Kestavor"
# The library folders, the help page and the pictures are read from the working directory, or
# from beside the executable when the working directory has no library.
if [ -z "${DISPLAY:-}" ]; then
  exec "$root/tests/support/with-xvfb.sh" "$app" "$@"
fi
exec "$app" "$@"
