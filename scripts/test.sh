#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/scripts/packages.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_CHECK_PACKAGES[@]}" "${GLYPH_REFERENCE_PACKAGES[@]}" \
    "${GLYPH_TEST_PACKAGES[@]}"
cmake -S "$top" -DZELVANE_WERROR="${ZELVANE_WERROR:-OFF}" -B "$top/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$top/build" -j2
ctest --test-dir "$top/build" --output-on-failure -j2
