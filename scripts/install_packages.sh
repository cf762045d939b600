#!/usr/bin/env bash
# install_packages PACKAGE...: installs those of the Debian packages named that are missing,
# with apt-get as root and through sudo otherwise. Sourced by run.sh and test.sh; run directly,
# it does the same for the packages given as arguments.

# True when the package is installed, or is a virtual one an installed package provides
# (libqt6svg6-dev, say, which qt6-svg-dev provides).
package_installed() {
  case "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" in
    *"install ok installed"*) return 0 ;;
  esac
  dpkg-query -W -f='${Status}|${Provides}\n' 2>/dev/null | awk -F'|' -v p="$1" '
    $1 == "install ok installed" {
      n = split($2, provided, /, */)
      for (i = 1; i <= n; i++) { split(provided[i], name, " "); if (name[1] == p) found = 1 }
    }
    END { exit !found }'
}

install_packages() {
  local p missing=() sudo=()
  for p in "$@"; do
    package_installed "$p" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  # Through env, since sudo does not pass on the caller's environment.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  install_packages "$@"
fi
