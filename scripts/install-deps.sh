#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tarnwick need.
# Quiet and quick when everything is already there.
#   scripts/install-deps.sh            building and running on Linux
#   scripts/install-deps.sh GROUP...   and the packages of each group:
#     test     the Linux tests: a sanitizer runtime and clang for the fuzzers
#     windows  the Windows build and its tests: mingw-w64, wine, Xvfb
#     bench    the tools the benchmark compares with: ripgrep
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libpugixml-dev
  libcurl4-openssl-dev zlib1g-dev
  libgtest-dev
  fonts-wqy-microhei qt6-translations-l10n
)
for group in "$@"; do
  case "$group" in
    # clang and its runtime: libFuzzer and ThreadSanitizer; Chromium to load the HTML
    # report as a user's browser does.
    test) packages+=(clang libclang-rt-14-dev chromium) ;;
    # mingw-w64 with the posix thread model (std::thread); wine64 to run the result;
    # Xvfb and xdotool for the window; dpkg-dev to fetch pugixml's Debian source.
    windows) packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 fonts-wine xvfb xauth xdotool
                        dpkg-dev googletest locales) ;;
    bench) packages+=(ripgrep) ;;
    *) echo "install-deps: unknown group $group" >&2; exit 2 ;;
  esac
done

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# The Windows leg runs once more with the ANSI code page of a Chinese system (936),
# which wine takes from a zh_CN.UTF-8 locale: one the system must have.
make_chinese_locale() {
  locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$' && return 0
  echo "Adding the zh_CN.UTF-8 locale"
  $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
for group in "$@"; do
  [ "$group" = windows ] && make_chinese_locale
done
exit 0
