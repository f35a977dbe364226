#!/usr/bin/env bash
# Installs the Debian packages of deps/debian-packages.txt that are missing.
# Idempotent; uses sudo only when not root.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/deps/debian-packages.txt" | awk '{print $1}')
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
