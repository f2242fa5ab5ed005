#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the demo and the program need.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev
    unixodbc unixodbc-dev tdsodbc freetds-bin
    libsqlite3-dev libxlsxwriter-dev
    libgtest-dev libgmock-dev
    xvfb xauth x11-utils imagemagick unzip python3 python3-openpyxl
    fonts-dejavu-core fonts-liberation e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The FreeTDS ODBC driver must be registered under the name the program asks for.
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    printf '[FreeTDS]\nDescription=FreeTDS ODBC driver\nDriver=libtdsodbc.so\nSetup=libtdsS.so\n' \
        | "${sudo_cmd[@]}" odbcinst -i -d -r >/dev/null
fi
