#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds, and runs every test:
# the layers and formatting of the sources, the normal build, then the unit tests again under
# AddressSanitizer + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_packages.sh

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6-dev xvfb xauth clang-format)
install_packages "${packages[@]}"

scripts/check_source.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")
scripts/fuzz_smoke.sh
