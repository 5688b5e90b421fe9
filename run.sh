#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor: on the script named,
# or on the bundled example. Without a configuration file it writes one for the demo.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

# A terminal for the Run button's console.
scripts/install-deps.sh xterm
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALE_BUILD_TESTS=OFF
cmake --build build-run

config_dir="${XDG_CONFIG_HOME:-$HOME/.config}/corvale"
config="$config_dir/corvale.conf"
if [ ! -e "$config" ]; then
  case "$root" in
    *" "*) echo "Note: the configuration drops every space, so the demo paths under '$root' will not work." >&2 ;;
  esac
  mkdir -p "$config_dir"
  cat > "$config" <<CONF
# Written by run.sh for the demo. exe and bin name stand-ins shipped for the
# demo only; point them at the real Vorsa executable and its bin directory.
help $root/share/help/
editor $root/share/demo/open-in-editor
exe $root/share/demo/vorsa-demo
bin $root/share/demo/
CONF
  echo "Wrote a demo configuration to $config"
fi

script="${1:-$root/share/demo/example.tcl}"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: start ./run.sh from a desktop session, or under xvfb-run." >&2
  exit 1
fi
exec build-run/src/app/corvale "$script"
