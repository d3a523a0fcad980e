# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the run and test commands: installs the Debian packages that
# are missing, as root directly, otherwise through sudo where it exists,
# otherwise prints the line to run.

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local runner=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            runner=(sudo)
        else
            echo "Mancano dei pacchetti. Installali da amministratore con:" >&2
            echo "  apt-get install -y ${missing[*]}" >&2
            return 1
        fi
    fi
    echo "Installo: ${missing[*]}"
    "${runner[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${runner[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# What building and testing need; Qt's CMake files find everything else
# through qt6-base-dev's own dependencies. FreeType draws the glyph
# reader's reference fonts, fontconfig finds them when they are elsewhere;
# zlib's CRC32 checks the BPS patches the script tool writes.
BUILD_PACKAGES=(g++ make cmake qt6-base-dev libx11-dev libfreetype-dev libfontconfig-dev zlib1g-dev)

# The glyph reader's reference fonts: pixel fonts at 8 (Misaki Gothic), 12,
# 14 and 16 pixels (Shinonome, Unifont) and outline fonts (IPA Gothic and
# Mincho, VL Gothic), all with the kana and JIS X 0208 kanji.
GLYPH_REFERENCE_PACKAGES=(xfonts-shinonome fonts-unifont fonts-misaki fonts-ipafont-gothic fonts-ipafont-mincho fonts-vlgothic)

# The fonts the reader's tests and benchmark make game fonts from: none of
# them is a reference (jiskan16 at 16 pixels, UmePlus Gothic at 12 to 16,
# Misaki Mincho at 8, DejaVu Sans Mono for accented letters; Misaki Mincho
# shares its designer with a reference, not its kana).
GLYPH_TEST_PACKAGES=(xfonts-intl-japanese fonts-umeplus fonts-misaki fonts-dejavu-core)

# What making and checking the Debian package needs: dpkg-shlibdeps for its
# library dependencies, and the checkers a distribution runs.
PACKAGE_CHECK_PACKAGES=(dpkg-dev lintian desktop-file-utils appstream)
