#!/usr/bin/env bash
# The Debian package as a user meets it: built from an existing build directory, checked by
# lintian, installed with apt (its dependencies from its own fields), used by an ordinary user
# made for the test, then removed, leaving none of its files behind.
#
#   scripts/package_test.sh [BUILD_DIR]     as root, after a build (scripts/test.sh: build/)
#
# Needs dpkg-dev, lintian, appstream, desktop-file-utils and man-db (scripts/test.sh installs
# them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
started=$(date +%s)

if [ "$(id -u)" -ne 0 ]; then
  echo "package_test: run as root (it installs and removes the package)" >&2
  exit 1
fi

user=zelvanor-pkgtest
home=/home/$user
link=/tmp/zelvanor-pkgtest-sim
man_include=/etc/dpkg/dpkg.cfg.d/zz-zelvanor-pkgtest
sim_pid=""

cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    sleep 0.5
  fi
  if dpkg-query -W -f='${Status}' zelvanor 2>/dev/null | grep -q "ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zelvanor >/dev/null || true
  fi
  id "$user" >/dev/null 2>&1 && userdel -r "$user" 2>/dev/null || true
  rm -f "$man_include" "$link"
}
trap cleanup EXIT

fail() {
  echo "package_test: FAILED: $*" >&2
  exit 1
}

step() { echo "--- $*"; }

# The user's programs run with a clean environment: nothing of this shell's leaks into them.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
    PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "$@"
}

# Container images of Debian often tell dpkg to leave out manual pages; ours must be installed
# to be found, so they are let in for this test only.
if grep -qs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "(dpkg is set to leave out manual pages: $(grep -ls '^path-exclude=/usr/share/man' \
    /etc/dpkg/dpkg.cfg.d/* | tr '\n' ' ')- ours are let in for this test)"
  echo 'path-include=/usr/share/man/man1/zelvanor*' >"$man_include"
fi

step "build the package"
rm -f dist/zelvanor_*.deb
cmake --build "$build" --target package >/dev/null
version=$(sed -n 's/^#define ZEL_VERSION "\(.*\)"$/\1/p' "$build/generated/zel_version.h")
deb=dist/zelvanor_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Installed-Size

step "lintian"
# Errors fail the test; the other tags are listed.
lintian --fail-on error --display-level '>=info' "$deb" || fail "lintian found errors"

step "install with apt"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
mapfile -t files < <(dpkg-query -L zelvanor)
for f in /usr/bin/zelvanor /usr/bin/zelvanor-cli /usr/bin/zelvanor-sim \
         /usr/share/man/man1/zelvanor.1.gz /usr/share/man/man1/zelvanor-cli.1.gz \
         /usr/share/man/man1/zelvanor-sim.1.gz /usr/share/applications/zelvanor.desktop \
         /usr/share/icons/hicolor/scalable/apps/zelvanor.svg \
         /usr/share/metainfo/io.github.zelvanor.zelvanor.metainfo.xml \
         /usr/share/zelvanor/son/Klaxon0.wav "/usr/share/zelvanor/langages/EN English.txt"; do
  [ -f "$f" ] || fail "$f not installed"
done
if [ -f dist/zelvanor-log@.service ]; then
  [ -f /usr/lib/systemd/system/zelvanor-log@.service ] || fail "the logger's unit not installed"
fi

step "the installed files as an ordinary user"
useradd --create-home --shell /bin/bash "$user"
[ "$(as_user zelvanor-cli --version)" = "zelvanor-cli $version" ] || fail "zelvanor-cli --version"
[ "$(as_user zelvanor --version)" = "zelvanor $version" ] || fail "zelvanor --version"
as_user man -w zelvanor-cli || fail "man -w zelvanor-cli"
as_user man -w zelvanor >/dev/null && as_user man -w zelvanor-sim >/dev/null || fail "man -w"
as_user desktop-file-validate /usr/share/applications/zelvanor.desktop ||
  fail "desktop-file-validate"
as_user appstreamcli validate --no-net --explain \
  /usr/share/metainfo/io.github.zelvanor.zelvanor.metainfo.xml || fail "appstreamcli validate"
as_user zelvanor-cli ports || fail "zelvanor-cli ports"

step "zelvanor-cli log against zelvanor-sim, no --dir"
data=$home/.local/share/zelvanor
[ ! -e "$home/.local" ] || fail "$home/.local exists before the first start"
# The simulator's own pid, not that of runuser, which does not pass a signal on.
as_user sh -c 'echo $$ >"$0"; exec zelvanor-sim --model VORN8 --serial 4242 --period-ms 2000 \
  --link "$1"' "$home/sim.pid" "$link" >/dev/null 2>&1 &
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
sim_pid=$(cat "$home/sim.pid" 2>/dev/null || true)
[ -e "$link" ] || fail "the simulator made no device"
as_user zelvanor-cli log --port "$link" --line vorn8 --duration 6 >"$home/cli.out" ||
  fail "zelvanor-cli log: $(cat "$home/cli.out")"
grep -q '<- VP=2.1,VORN8,4242' "$home/cli.out" || fail "counter not identified: $(cat "$home/cli.out")"
for f in cg_conf.txt cg_log.txt; do
  [ -f "$data/$f" ] || fail "$data/$f missing"
done
grep -q 'VP=2.1,VORN8,4242' "$data/cg_log.txt" || fail "journal without the identification"
[ "$(stat -c %U "$data")" = "$user" ] || fail "$data not the user's"
kill "$sim_pid" 2>/dev/null || true
wait 2>/dev/null || true
sim_pid=""

step "the installed desktop program, offscreen, closed by SIGTERM"
log_lines=$(wc -l <"$data/cg_log.txt")
rc=0
as_user env QT_QPA_PLATFORM=offscreen timeout --preserve-status -s TERM 5 zelvanor \
  >"$home/desktop.out" 2>&1 || rc=$?
[ "$rc" -eq 0 ] || fail "zelvanor ended with status $rc: $(cat "$home/desktop.out")"
# Closed cleanly: its journal saved in the same directory, one start line more, and the
# connection settings only the desktop keeps.
[ "$(wc -l <"$data/cg_log.txt")" -gt "$log_lines" ] || fail "the desktop program saved no journal"
[ -f "$data/zelvanor_connection.txt" ] || fail "the desktop program saved no connection settings"
ls -la "$data"

step "remove"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zelvanor >/dev/null
left=()
for f in "${files[@]}"; do
  # Directories that other packages share (/usr/bin ...) stay; ours must go.
  if [ -d "$f" ]; then
    case "$f" in
      /usr/share/zelvanor* | /usr/share/doc/zelvanor) left+=("$f") ;;
    esac
  elif [ -e "$f" ] || [ -L "$f" ]; then
    left+=("$f")
  fi
done
[ ${#left[@]} -eq 0 ] || fail "left behind after removal: ${left[*]}"
dpkg-query -W -f='${Status}\n' zelvanor 2>/dev/null | grep -q "ok installed" &&
  fail "still installed"

echo "package_test: $deb built, installed, used and removed in $(($(date +%s) - started)) s"
