#!/usr/bin/env bash
# Neovim's built-in LSP client, headless, against corvale-lsp on the demo
# with a misspelt sub-command, a node that does not exist and a typo in a
# variable planted. Usage: nvim_client.sh corvale-lsp source-dir
set -euo pipefail
lsp="$1"
source_dir="$2"
command -v nvim > /dev/null || { echo "nvim is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/tests/lsp/clients/plant_demo.sh" "$source_dir" "$work"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"
export CORVALE_LSP="$lsp" CORVALE_HELP="$source_dir/share/help/" CORVALE_SCRIPT="$work/example.tcl"
export CORVALE_LOG="$work/log"
status=0
timeout 90 nvim --headless --clean -c "luafile $source_dir/tests/lsp/clients/nvim_client.lua" \
  > "$work/nvim.out" 2>&1 || status=$?
cat "$work/log" 2> /dev/null || cat "$work/nvim.out"
exit "$status"
