#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: packages that are present are left alone.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev
  libcurl4-openssl-dev libturbojpeg0-dev libpng-dev libwebp-dev libtiff-dev
  libproj-dev proj-data libgeographiclib-dev libsqlite3-dev sqlite3
  libgtest-dev libbenchmark-dev libcpp-httplib-dev
  gpsbabel gdal-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
