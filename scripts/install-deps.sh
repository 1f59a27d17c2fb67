#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Asks dpkg first and runs apt-get only for what is missing, so a second
# run on a ready machine costs a fraction of a second.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev libcli11-dev libutfcpp-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 wine wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick fonts-wqy-microhei
  zip unzip time locales
  dpkg-dev fakeroot lintian
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

# One settings suite runs in code page 936, which Wine takes from a Chinese
# locale; the locale must exist for that.
zh_locale() { locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; }

if ((${#missing[@]} == 0)); then
  zh_locale || "${sudo_cmd[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The 32-bit build's tests run under wine32, a package of the i386 architecture.
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
zh_locale || "${sudo_cmd[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
