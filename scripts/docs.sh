#!/usr/bin/env bash
# The API reference: Doxygen over the installed (public) headers, into build/docs/html/.
# Installs Doxygen first when it is missing (scripts/install-deps.sh --docs). Undocumented
# public members are listed as warnings in build/docs/warnings.log; they do not fail the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh --docs
cmake --preset default >/dev/null
# The reference covers what a host gets: the headers of an install.
prefix="$root/build/docs/prefix"
rm -rf "$prefix"
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)" --target pellavo
cmake --install build/default --prefix "$prefix" >/dev/null
version=$(sed -n 's/^project(Pellavo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
( cat docs/Doxyfile
  echo "PROJECT_NUMBER = $version"
  echo "INPUT = $prefix/include README.md docs"
  echo "STRIP_FROM_PATH = $prefix/include $root"
  echo "OUTPUT_DIRECTORY = $root/build/docs"
  echo "WARN_LOGFILE = $root/build/docs/warnings.log"
) | doxygen -
echo "docs: build/docs/html/index.html ($(wc -l < build/docs/warnings.log) warning line(s) in build/docs/warnings.log)"
