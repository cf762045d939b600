#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds the desktop program and starts it, with the alarm
# sound son/Klaxon0.wav and the language files beside it (build/bin/).
#
#   ./scripts/run.sh                 the program, for a counter on a serial port
#   ./scripts/run.sh --sim [MODEL]   the same with a simulated counter (VORN2, VORN3, VORN8,
#                                    VORN9, VORN10 or GS; VORN8 by default) that appears in the
#                                    connection dialog's port list as /tmp/zelvanor-sim-<user>
#
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is served over VNC on port 5900.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_packages.sh

sim=""
if [ "${1:-}" = "--sim" ]; then
  sim="${2:-VORN8}"
fi

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6-dev)
install_packages "${packages[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_WITH_QT=ON >/dev/null
targets=(zelvanor zel_shipped_files)
[ -n "$sim" ] && targets+=(zelvanor-sim)
cmake --build build -j "$(nproc)" --target "${targets[@]}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM="vnc:port=5900"
  echo "No display: connect a VNC viewer to port 5900 of this machine."
fi

if [ -n "$sim" ]; then
  link="/tmp/zelvanor-sim-$(id -un)"
  model_args=(--model "$sim")
  # Count lines every 5 s so that something moves at once; the Gamma Scout logs instead.
  [ "$sim" != "GS" ] && model_args+=(--period-ms 5000)
  ./build/bin/zelvanor-sim "${model_args[@]}" --link "$link" >/dev/null &
  sim_pid=$!
  trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  echo "Simulated $sim counter at $link: choose it in Fichier > Connexion."
  export ZELVANOR_PORTS="$link"
fi

./build/bin/zelvanor
