#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6test6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  # setarome-cli: its options, its readiness notice to systemd, and the
  # check of its service unit
  libcli11-dev libsystemd-dev systemd
  # setarome-cli station: its scenario files
  libtomlplusplus-dev
  fonts-ipafont-gothic fontconfig
  # Qt's own texts (file dialog, edit menus) in the panel's Japanese
  qt6-translations-l10n
  # the end-to-end test: a display, clicks as an operator makes them, a close
  # as a window manager sends it, and network namespaces joined by veth pairs
  xvfb xdotool libx11-dev iproute2
  # the peak memory of a scan against a host claiming billions of pages
  time
  # the character maps localedef needs for the tests' decimal-comma locale
  locales
  # installing: the icon rendered from its drawing, the .deb with its
  # dependencies and lintian's review, and the checks of the installed tree
  librsvg2-bin dpkg-dev file lintian desktop-file-utils man-db bash-completion
  # the fuzz targets: clang with its sanitizer and libFuzzer runtimes
  clang libclang-rt-14-dev
  # captures as the field makes them (pcap, pcapng, link-layer capture), the
  # Wireshark dissector's check, and the monitor window's charts
  libpcap-dev tshark qt6-charts-dev
  # the dissector's check: its capture and comparison scripts, and the
  # Shift-JIS rows made from iconv
  python3
  # the test run's reports checked as their readers take them: the JUnit XML
  # against its schema (xmllint), the HTML page against HTML5 (tidy)
  libxml2-utils tidy
  # Qt Charts' CMake package needs Qt OpenGL's, which it does not pull in
  libqt6opengl6-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
