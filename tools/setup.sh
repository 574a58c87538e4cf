#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent:
# when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils x11-apps python3
  clang llvm libclang-rt-14-dev
  osslsigncode openssl
  fp-utils
  googletest libbenchmark-dev
  locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its regional formats from LANG: the French locale must exist.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf8$'; then
  sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
