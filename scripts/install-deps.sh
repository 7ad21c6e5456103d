#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the gallery need.
#   scripts/install-deps.sh          what the build, the tests and the gallery need
#   scripts/install-deps.sh --docs   also Doxygen, for scripts/docs.sh
# Idempotent: when everything is present it does nothing and touches no network.
# With --fuzz it also installs clang and libFuzzer, which only scripts/fuzz.sh needs.
set -euo pipefail

packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  libcairo2-dev
  libpango1.0-dev
  libharfbuzz-dev
  libfontconfig-dev
  libicu-dev
  libpugixml-dev
  libcurl4-openssl-dev
  libcpp-httplib-dev
  libsdl2-dev
  libpng-dev
  libjpeg62-turbo-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  fonts-dejavu-core
  fonts-dejavu-extra
  fonts-droid-fallback
  xvfb
  xauth
)
for arg in "$@"; do
  case "$arg" in
    --docs) packages+=(doxygen) ;;
    --fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    *) echo "usage: scripts/install-deps.sh [--docs] [--fuzz]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  run=(sudo)
else
  echo "install-deps: these Debian packages are missing and neither root nor sudo is available:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${run[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${run[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
