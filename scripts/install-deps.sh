#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root on Debian 12.
#   scripts/install-deps.sh            what building and running need
#   scripts/install-deps.sh --package  also what making the .deb needs
#   scripts/install-deps.sh --tests    also what the tests, fuzzing,
#                                      benchmarks and screenshots need
set -euo pipefail

build=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev nlohmann-json3-dev qt6-base-dev libgl-dev
)
package=(dpkg-dev file)
tests=(
  git clang-format clang libclang-rt-14-dev llvm
  libgtest-dev libgmock-dev libbenchmark-dev sqlite3
  xvfb xauth fonts-dejavu-core openbox xdotool imagemagick valgrind time
  lintian appstream desktop-file-utils mandoc
)

packages=("${build[@]}")
for option in "$@"; do
  case "$option" in
    --package) packages+=("${package[@]}") ;;
    --tests) packages+=("${package[@]}" "${tests[@]}") ;;
    *) echo "usage: scripts/install-deps.sh [--package] [--tests]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
