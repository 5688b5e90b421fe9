#!/usr/bin/env bash
# Checks the package in dist/ as CI does: the desktop entry and the AppStream
# metainfo validate, lintian finds no error, and the program unpacked from the
# .deb into a throw-away root starts for a new user with the library and no
# message, and prints a script to a PDF. Needs ./package.sh and ./test.sh first
# (the start-up checks are tests/e2e/InstalledPackageTest).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lintian desktop-file-utils appstream

deb=$(ls dist/corvale_*.deb)
desktop-file-validate res/corvale.desktop
appstreamcli validate --no-net packaging/org.corvale.Corvale.metainfo.xml
echo "lintian:"
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" > /dev/null 2>&1 || { echo "lintian found errors" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"
echo "installed size: $(dpkg-deb -f "$deb" Installed-Size) KiB"
for path in usr/bin/corvale usr/bin/corvale-batch usr/bin/corvale-check usr/bin/corvale-dryrun \
  usr/bin/corvale-lsp usr/share/man/man1/corvale-lsp.1.gz usr/share/man/man1/corvale-check.1.gz \
  usr/share/man/man1/corvale-dryrun.1.gz usr/share/applications/corvale.desktop \
  usr/share/icons/hicolor/scalable/apps/corvale.svg usr/share/metainfo/org.corvale.Corvale.metainfo.xml \
  usr/share/mime/packages/corvale.xml usr/share/man/man1/corvale.1.gz \
  usr/share/corvale/help/list.txt etc/xdg/corvale/corvale.conf; do
  [ -e "$root/$path" ] || { echo "missing from the package: /$path" >&2; exit 1; }
done
# The installed dry run runs a script with the installed library.
echo 'node 1 0 0' | "$root/usr/bin/corvale-dryrun" --help-dir "$root/usr/share/corvale/help/" - |
  grep -q '"call":\["node","1","0","0"\]' || { echo "the installed corvale-dryrun did not run" >&2; exit 1; }
# The installed check finds the installed dry run beside it: a mistake only
# running shows comes out as a SARIF result.
printf 'set r [expr {1 / 0}]\n' > "$work/equals.tcl"
status=0
"$root/usr/bin/corvale-check" --help-dir "$root/usr/share/corvale/help/" --format sarif \
  "$work/equals.tcl" > "$work/equals.sarif" || status=$?
[ "$status" -eq 2 ] && grep -q '"ruleId": "run/error"' "$work/equals.sarif" ||
  { echo "the installed corvale-check did not run the dry run" >&2; exit 1; }
# The installed language server answers initialize with its name.
lsp_input=""
for request in '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}' \
  '{"jsonrpc":"2.0","id":2,"method":"shutdown"}' '{"jsonrpc":"2.0","method":"exit"}'; do
  lsp_input+=$(printf 'Content-Length: %d\r\n\r\n%s' "${#request}" "$request")
done
lsp_output=$(printf '%s' "$lsp_input" | "$root/usr/bin/corvale-lsp") ||
  { echo "the installed corvale-lsp did not end cleanly" >&2; exit 1; }
grep -q '"name":"corvale-lsp"' <<< "$lsp_output" ||
  { echo "the installed corvale-lsp did not answer initialize" >&2; exit 1; }
# The package's configuration names the library where the package puts it.
[ "$(cat "$root/etc/xdg/corvale/corvale.conf")" = "help /usr/share/corvale/help/" ] ||
  { echo "unexpected /etc/xdg/corvale/corvale.conf" >&2; exit 1; }
# In the throw-away root that folder is under the root: the same file with the
# root put in front stands in for /etc/xdg.
mkdir -p "$work/xdg/corvale"
echo "help $root/usr/share/corvale/help/" > "$work/xdg/corvale/corvale.conf"
output=$(CORVALE_INSTALLED_ROOT="$root" CORVALE_INSTALLED_CONFIG_DIRS="$work/xdg" \
  scripts/run-under-xvfb.sh build/tests/e2e/e2e_tests --gtest_filter='InstalledPackageTest.*' 2>&1) ||
  { echo "$output" >&2; exit 1; }
echo "$output" | grep -E "^\[  (PASSED|FAILED|SKIPPED)"
if echo "$output" | grep -q "SKIPPED"; then
  echo "the installed-package checks were skipped" >&2
  exit 1
fi
