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

# Without a desktop session the program runs on a private X display and is
# shown over VNC on the loopback interface only, behind a password made for
# this run (client data must not reach the network or an unknown viewer).
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  scripts/install-deps.sh --screenless
  vnc_dir=$(mktemp -d)
  chmod 700 "$vnc_dir"
  password=$(head -c 12 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 8)
  x11vnc -storepasswd "$password" "$vnc_dir/passwd" >/dev/null 2>&1
  display_number=57
  while [ -e "/tmp/.X11-unix/X$display_number" ]; do display_number=$((display_number + 1)); done
  Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display_number"
  sleep 1
  openbox >/dev/null 2>&1 &
  x11vnc -display "$DISPLAY" -localhost -rfbport 5900 -rfbauth "$vnc_dir/passwd" -forever -quiet \
    >/dev/null 2>&1 &
  vnc_pid=$!
  trap 'kill $vnc_pid $xvfb_pid 2>/dev/null; rm -rf "$vnc_dir"' EXIT
  echo "No display found: the program shows on VNC at localhost:5900 (loopback only)."
  echo "VNC password for this run: $password"
  build/vornel --root "$root" "$@"
  exit $?
fi
exec build/vornel --root "$root" "$@"
