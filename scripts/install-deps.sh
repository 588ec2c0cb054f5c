#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent and silent when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest
  libbenchmark-dev
  libsqlite3-dev
  libpq-dev postgresql  # the PostgreSQL record store; the tests start a private server
  qt6-base-dev libgl-dev fonts-dejavu-core
  poppler-utils  # pdfinfo, pdftotext, pdffonts: the tests read the PDF files back
)

# The run command's screenless fallback: a private X display shown over VNC.
if [ "${1:-}" = "--screenless" ]; then
  packages=(xvfb x11vnc openbox)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
