#!/usr/bin/env bash
# Emacs with eglot, in batch mode, against corvale-lsp on the demo with a
# misspelt sub-command, a node that does not exist and a typo in a variable
# planted. Usage: eglot_client.sh corvale-lsp source-dir
set -euo pipefail
lsp="$1"
source_dir="$2"
command -v emacs > /dev/null || { echo "emacs is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/tests/lsp/clients/plant_demo.sh" "$source_dir" "$work"
export HOME="$work" XDG_CONFIG_HOME="$work/config"
export CORVALE_LSP="$lsp" CORVALE_HELP="$source_dir/share/help/" CORVALE_SCRIPT="$work/example.tcl"
export CORVALE_LOG="$work/log"
status=0
timeout 120 emacs --batch -l "$source_dir/tests/lsp/clients/eglot_client.el" > "$work/emacs.out" 2>&1 ||
  status=$?
cat "$work/log" 2> /dev/null || true
[ "$status" -eq 0 ] || tail -20 "$work/emacs.out"
exit "$status"
