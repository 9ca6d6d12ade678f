#!/usr/bin/env bash
# The demo's set-up: it checks only the packages of the native build, and
# only once; the Windows libraries come from the machine's own release.
#   demo_setup_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work/bin"
trap 'rm -rf "$work"' EXIT

# dpkg-query as the machine has it, with every question written down.
real=$(command -v dpkg-query)
cat >"$work/bin/dpkg-query" <<WRAP
#!/bin/sh
echo "\$@" >>"$work/asked"
exec "$real" "\$@"
WRAP
chmod +x "$work/bin/dpkg-query"
export PATH="$work/bin:$PATH" KOLVEX_SETUP_STAMPS="$work"

"$source_dir/scripts/setup" native
grep -q 'libcli11-dev' "$work/asked" || { echo "the native set-up did not ask for CLI11"; exit 1; }
if grep -Eq 'mingw|wine|googletest' "$work/asked"; then
  echo "the native set-up asked for packages of the test suites:"; grep -E 'mingw|wine|googletest' "$work/asked"
  exit 1
fi
: >"$work/asked"
"$source_dir/scripts/setup" native
[ ! -s "$work/asked" ] || { echo "a second set-up checked the packages again"; exit 1; }

for release in "ID=debian|VERSION_CODENAME=trixie|trixie" "ID=ubuntu|VERSION_CODENAME=noble|noble"; do
  IFS='|' read -r id codename expected <<<"$release"
  printf '%s\n%s\n' "$id" "$codename" >"$work/os-release"
  named=$(KOLVEX_OS_RELEASE="$work/os-release" "$source_dir/scripts/build-win32-deps" --release)
  [ "$named" = "$expected" ] || { echo "build-win32-deps names $named on $expected"; exit 1; }
done
echo "set-up checks native packages once; sources follow the release"
