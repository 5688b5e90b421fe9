#!/usr/bin/env bash
# vscode-jsonrpc (from the npm registry, as package-lock.json pins it)
# against corvale-lsp on the demo with three mistakes planted.
# Usage: jsonrpc_client.sh corvale-lsp source-dir build-dir
set -euo pipefail
lsp="$1"
source_dir="$2"
build_dir="$3"
command -v node > /dev/null && command -v npm > /dev/null ||
  { echo "node and npm are not installed (scripts/install-deps.sh installs them)" >&2; exit 1; }
client="$build_dir/jsonrpc-client"
mkdir -p "$client"
cp "$source_dir/tests/lsp/clients/jsonrpc/package.json" "$source_dir/tests/lsp/clients/jsonrpc/package-lock.json" \
  "$source_dir/tests/lsp/clients/jsonrpc/client.js" "$client/"
# Installed once per lock file.
if ! cmp -s "$client/package-lock.json" "$client/node_modules/.installed-lock" 2> /dev/null; then
  (cd "$client" && npm ci --no-audit --no-fund --loglevel=error > npm.log 2>&1) ||
    { cat "$client/npm.log" >&2; exit 1; }
  cp "$client/package-lock.json" "$client/node_modules/.installed-lock"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/tests/lsp/clients/plant_demo.sh" "$source_dir" "$work"
timeout 90 node "$client/client.js" "$lsp" "$source_dir/share/help/" "$work/example.tcl"
