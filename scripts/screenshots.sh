#!/usr/bin/env bash
# Pictures of both ledger windows on the demo data, taken under Xvfb, into
# docs/screenshots/ (or the folder given).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
out="$(realpath -m "${1:-$here/docs/screenshots}")"
demo="$(mktemp -d)"
trap 'rm -rf "$demo"' EXIT
"$build/bin/veladata-demo" --force "$demo/data" >/dev/null
cd "$demo/data"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1366x768x24" "$build/bin/vela-screenshots" "$out"
# The report windows, and the printed reports as PDFs made into pictures.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1366x768x24" "$build/bin/vela-reportshots" "$demo/reports"
cp "$demo/reports/korositas.png" "$demo/reports/penzforgalom.png" "$out/"
for f in egyenlegkozlo felszolitas tetellista; do
  pdftoppm -r 70 -png -singlefile "$demo/reports/$f.pdf" "$out/$f"
done
# Qt's print preview with its Hungarian buttons (a wide screen, so that every
# button's name fits).
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 2048x1080x24" "$build/bin/vela-dialogshots" "$out" preview
# The bank statement window on the demo statement.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1366x768x24" "$build/bin/vela-bankshots" "$out"
