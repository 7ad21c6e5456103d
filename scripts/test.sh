#!/usr/bin/env bash
# Installs what is needed, then configures, builds and tests the presets: everything
# under default and asan; under tsan only the libraries and the suites that start threads
# (the build preset names that one test executable), so the stage stays short. The default
# preset's tests include the package check: the build installed into a temporary prefix,
# examples/hello built against it with find_package and run headless, and pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."

step() {
  local name=$1; shift
  local start=$SECONDS
  echo "==> $name"
  "$@"
  echo "==> $name took $((SECONDS - start)) s"
}

step "install dependencies" scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
for preset in default asan tsan; do
  step "configure $preset" cmake --preset "$preset"
  step "build $preset" cmake --build --preset "$preset" -j "$jobs"
  step "test $preset" ctest --preset "$preset" -j "$jobs"
done
echo "==> all tests passed"
