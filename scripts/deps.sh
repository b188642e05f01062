#!/usr/bin/env bash
# Installs what building and testing need, when it is missing (Debian 12, as root).
#   deps.sh               everything: build, test, packages
#   deps.sh --build-only  compilers and build tools only
#   deps.sh --dist        build tools and the packaging tools (make dist)
set -euo pipefail
need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
have_cmd i686-w64-mingw32-g++-posix   || need+=(g++-mingw-w64-i686)
have_cmd cmake      || need+=(cmake)
have_cmd ninja      || need+=(ninja-build)
have_cmd make       || need+=(make)
if [ "${1:-}" != "--build-only" ] && [ "${1:-}" != "--dist" ]; then
  [ -x /usr/lib/wine/wine64 ] || need+=(wine wine64 fonts-wine)
  have_cmd Xvfb       || need+=(xvfb xauth)
  have_cmd xdotool    || need+=(xdotool)
  have_cmd clang-format || need+=(clang-format)
  have_cmd xwd        || need+=(x11-apps)
  # Some machines carry a stand-in "convert" that is not ImageMagick.
  /usr/bin/convert -version 2>/dev/null | grep -q '^Version: ImageMagick' || need+=(imagemagick)
fi
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# Packaging (make dist, and the packaging tests): MSI packages, archives.
if [ "${1:-}" != "--build-only" ]; then
  have_cmd wixl       || need+=(wixl)
  have_cmd msibuild   || need+=(msitools)
  have_cmd zip        || need+=(zip)
  have_cmd unzip      || need+=(unzip)
  have_cmd python3    || need+=(python3)
fi
[ ${#need[@]} -eq 0 ] && exit 0
echo "Installing: ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages and not root: install them with apt-get install ${need[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y --no-install-recommends "${need[@]}" >/tmp/vantrel-apt.log 2>&1; then
  apt-get update >>/tmp/vantrel-apt.log 2>&1
  apt-get install -y --no-install-recommends "${need[@]}" >>/tmp/vantrel-apt.log 2>&1 \
    || { tail -20 /tmp/vantrel-apt.log >&2; exit 1; }
fi
