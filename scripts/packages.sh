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
# through qt6-base-dev's own dependencies.
BUILD_PACKAGES=(g++ make cmake qt6-base-dev libx11-dev)

# What making and checking the Debian package needs: dpkg-shlibdeps for its
# library dependencies, and the checkers a distribution runs.
PACKAGE_CHECK_PACKAGES=(dpkg-dev lintian desktop-file-utils appstream)
