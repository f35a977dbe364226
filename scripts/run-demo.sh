#!/usr/bin/env bash
# Installs what is missing, builds, makes a demo data folder and starts VelaData in it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
demo="${DEMO_DIR:-$here/demo}"
if [ ! -f "$demo/veladata.mdb" ]; then
  "$build/bin/veladata-demo" "$demo"
fi
cd "$demo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display. Run it under Xvfb:  xvfb-run -a $build/bin/VelaData   (in $demo)"
  echo "or set QT_QPA_PLATFORM=offscreen for a window nobody sees."
  exit 0
fi
exec "$build/bin/VelaData"
