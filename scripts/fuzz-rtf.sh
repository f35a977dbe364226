#!/usr/bin/env bash
# The RTF reader's fuzz target alone (see scripts/fuzz.sh).
#   scripts/fuzz-rtf.sh [seconds] [extra libFuzzer options...]
set -euo pipefail
exec "$(dirname "$0")/fuzz.sh" rtf "$@"
