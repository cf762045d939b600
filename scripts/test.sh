#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds, and runs every test:
# the layers and formatting of the sources, the normal build, again under a decimal-comma
# locale, the Debian package (installed, used and removed), then the unit tests again under
# AddressSanitizer + UBSan, then the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_packages.sh

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6-dev xvfb xauth clang-format locales
          libmosquitto-dev mosquitto mosquitto-clients nlohmann-json3-dev openssl pkg-config
          libcurl4-openssl-dev
          dpkg-dev lintian appstream desktop-file-utils man-db)
install_packages "${packages[@]}"

# generate_locales NAME...: generates those of the UTF-8 locales named (fr_FR.UTF-8) that
# `locale -a` does not list yet.
generate_locales() {
  local l missing=() sudo=()
  for l in "$@"; do
    # locale -a spells fr_FR.UTF-8 as fr_FR.utf8.
    locale -a 2>/dev/null | grep -qixF "${l%%.*}.utf8" || missing+=("$l")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  for l in "${missing[@]}"; do
    if grep -qE "^#? *${l//./\\.} UTF-8" /etc/locale.gen; then
      "${sudo[@]}" sed -i -E "s/^# *(${l//./\\.} UTF-8)/\\1/" /etc/locale.gen
    else
      echo "$l UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  done
  "${sudo[@]}" locale-gen
}
# The French and German desktops write numbers with a decimal comma.
generate_locales fr_FR.UTF-8 de_DE.UTF-8

scripts/check_source.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
# Once more as on a French desktop: the test programs take the process locale from the
# environment as the desktop program does, so any number read or written with the regional
# comma instead of "." shows here.
(cd build && LC_ALL=fr_FR.UTF-8 ctest --output-on-failure -j "$jobs")
# The Debian package from the same build: installed, used by a user, removed.
scripts/package_test.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

# The threaded tests again under ThreadSanitizer: the session, the application and the
# end-to-end tests with the two programs they start (built the same way, so a race inside
# zelvanor-cli fails its test too). Any report ends the program with status 66.
tsan_start=$SECONDS
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_TSAN=ON
cmake --build build-tsan -j "$jobs" --target test_session test_app test_e2e zelvanor-cli zelvanor-sim
tsan_run() {
  TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" "build-tsan/bin/$1" "${@:2}"
}
# The end-to-end tests mostly wait for the simulated lines: split in $jobs shards run side by
# side. The MQTT test counts deliveries against broker restarts timed for a normal build: left
# out.
e2e_shards=()
for ((i = 0; i < jobs; i++)); do
  GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$i tsan_run test_e2e '--gtest_filter=-MqttE2E.*' &
  e2e_shards+=($!)
done
tsan_run test_session
tsan_run test_app
for p in "${e2e_shards[@]}"; do
  wait "$p"
done
echo "ThreadSanitizer step: $((SECONDS - tsan_start)) s"
scripts/fuzz_smoke.sh
