#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the table-file fuzzer with clang and runs it for the given number
# of seconds (60 by default), starting from the seed corpus. Any finding
# stops it with a non-zero status and a crash-* file in the work folder.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$top/scripts/packages.sh"
seconds=${1:-60}

ensure_packages cmake make clang libclang-rt-14-dev libfreetype-dev libfontconfig-dev
cmake -S "$top" -DZELVANE_WERROR="${ZELVANE_WERROR:-OFF}" -B "$top/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZELVANE_FUZZ=ON -DZELVANE_BUILD_GUI=OFF -DBUILD_TESTING=OFF -DZELVANE_BUILD_BENCH=OFF
cmake --build "$top/build-fuzz" -j2

work="$top/build-fuzz/corpus"
mkdir -p "$work"
cd "$top/build-fuzz"
./fuzz/zelvane_fuzz_load -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    "$work" "$top/fuzz/corpus"
