#!/usr/bin/env bash
# Prints the project's version, as CMakeLists.txt's project() gives it.
set -euo pipefail
version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\) .*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
[ -n "$version" ] || { echo "version.sh: no version in CMakeLists.txt" >&2; exit 1; }
echo "$version"
