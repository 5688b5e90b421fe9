#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Corvale need,
# when any of them is missing, plus any named as arguments. Safe to run again:
# it does nothing then.
set -euo pipefail

packages=(
  cmake ninja-build g++
  qt6-base-dev libqscintilla2-qt6-dev libqt6svg6 qt6-svg-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation fonts-noto-mono
  tcl tcl8.6-dev nlohmann-json3-dev libtomlplusplus-dev
  strace neovim emacs-nox elpa-eglot
  xvfb xauth libxtst-dev
  "$@"
)

# Node.js and npm, for the language server's test through vscode-jsonrpc:
# the machine's own when it has them (a nodejs that carries its npm), else
# Debian's.
command -v node > /dev/null || packages+=(nodejs)
command -v npm > /dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
