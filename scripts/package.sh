#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from the test build and checks it, its desktop
# entry and its AppStream metadata as a distribution would. Run after
# scripts/test.sh, which builds and installs the tools.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

cd "$top/build"
rm -f zelvane_*.deb
cpack -G DEB >/dev/null
desktop-file-validate "$top/data/zelvane.desktop"
appstreamcli validate --no-net "$top/data/zelvane.metainfo.xml"
lintian_options=(--fail-on error,warning)
[ "$(id -u)" -eq 0 ] && lintian_options+=(--allow-root)
lintian "${lintian_options[@]}" zelvane_*.deb
echo "Pacchetto pronto e verificato: $(ls "$top"/build/zelvane_*.deb)"
