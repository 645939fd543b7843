#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need
# (install-deps.sh fuzz: those of the fuzz targets as well).
# Quiet and idempotent: apt-get runs only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev
  libsndfile1-dev
  # Locale definitions: the tests make a German locale (',' as the decimal
  # mark) with localedef.
  locales
  libfreetype-dev libfontconfig-dev
  # The sans face the editor's system text falls back to where Verdana is absent.
  fonts-dejavu-core
  # The typeface of the editor's labels, for scripts/make-images.sh.
  fonts-inter
  # Third-party Linux VST2 plug-ins that the command-line host is tested against.
  zam-plugins lsp-plugins-vst
  # The Windows DLLs: cross compilers, zlib for them, GoogleTest's source to
  # build for them, and 64-bit Wine (with its own fonts for GDI text) under a
  # virtual display to run the tests.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev googletest
  wine64 fonts-wine xvfb xauth
  # The Linux editor window (Xlib, MIT-SHM) and its tests (XTest input under Xvfb).
  libx11-dev libxext-dev libxtst-dev
  # The LV2 plug-in: the headers and the vocabularies in Turtle, the validator
  # (which needs sordi), lilv's tools and library for our test host, and a
  # real host (jalv, GTK front end) on a dummy JACK server, with xwininfo to
  # find the UI's window in it.
  lv2-dev sordi lilv-utils liblilv-dev jalv jackd2 x11-utils
  # The release archives (scripts/package.sh).
  zip unzip
  # The 32-bit x86 code as a Linux build, run under user-mode emulation.
  g++-multilib qemu-user
  libgtest-dev:i386 libpng-dev:i386 zlib1g-dev:i386 libfreetype-dev:i386 libfontconfig-dev:i386
  libx11-dev:i386 libxext-dev:i386
)
# With the argument fuzz, also what scripts/fuzz.sh needs: Clang and its libFuzzer runtime.
if [ "${1:-}" = fuzz ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Several builds of one machine may install at once: one at a time.
  exec 9>"${TMPDIR:-/tmp}/morvane-install-deps.lock"
  flock 9
  # The 32-bit libraries come from Debian's i386 packages through multiarch.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq >/dev/null
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
