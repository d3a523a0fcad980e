#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs them.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/scripts/packages.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${GLYPH_REFERENCE_PACKAGES[@]}" "${GLYPH_TEST_PACKAGES[@]}"
cmake -S "$top" -DZELVANE_WERROR="${ZELVANE_WERROR:-OFF}" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=ON -DZELVANE_BUILD_BENCH=OFF
cmake --build "$top/build-asan" -j2
ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$top/build-asan" --output-on-failure -j2
