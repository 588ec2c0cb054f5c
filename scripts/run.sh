#!/usr/bin/env bash
# Sets up and starts VORNEL on a demo data root: installs the Debian packages
# the project needs, builds the program, makes the demo root with the data
# generator on first use, and starts the program on it. Extra arguments go to
# the program. VORNEL_DEMO_ROOT chooses another demo root.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target vornel vornel-demo

root="${VORNEL_DEMO_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/vornel-demo}"
if [ ! -d "$root/VORNEL" ]; then
  build/vornel-demo --root "$root" --clients 300 --months 12 --seed 1
fi

# Without a desktop session the frame is served over VNC instead.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: the program shows on VNC at localhost:5900 (connect a VNC viewer)."
  export QT_QPA_PLATFORM="vnc:size=1280x800:port=5900"
fi
exec build/vornel --root "$root" "$@"
