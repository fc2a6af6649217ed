#!/usr/bin/env bash
# Builds the Debian package festral-quorvel_VERSION_ARCH.deb of the commit checked out, the
# Debian way (debian/, dpkg-buildpackage), in a scratch copy that is removed afterwards, and
# checks it with lintian: scripts/package.sh [folder for the .deb, default dist/]
# Installs what it needs first, as scripts/setup.sh does. DEB_BUILD_OPTIONS is passed on
# (nocheck leaves out the test suite that otherwise runs inside the package build).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
output="$(realpath -m -- "${1:-$root/dist}")"
bash "$root/scripts/setup.sh" debhelper lintian

if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "package.sh: packaging the last commit; changes not committed are left out" >&2
fi
scratch="$(mktemp -d "${TMPDIR:-/tmp}/festral-quorvel-package.XXXXXX")"
trap 'rm -rf -- "$scratch"' EXIT
mkdir "$scratch/source"
git -C "$root" archive HEAD | tar -x -C "$scratch/source"

# The compiler cache, where there is one, as scripts/build.sh uses it. debhelper gives the
# build a home of its own, so the cache and its size limit are named here; paths are taken
# relative to the scratch copy, so that one package build's results serve the next.
if command -v ccache > /dev/null; then
  CCACHE_DIR="$(ccache -k cache_dir)" CCACHE_MAXSIZE="$(ccache -k max_size)"
  export PATH="/usr/lib/ccache:$PATH" CCACHE_DIR CCACHE_MAXSIZE
  export CCACHE_BASEDIR="$scratch/source" CCACHE_NOHASHDIR=1
fi
(cd "$scratch/source" && dpkg-buildpackage -us -uc -b --jobs-try=auto)
debs=("$scratch"/festral-quorvel_*.deb)
lintian --fail-on error,warning "${debs[0]}"
mkdir -p "$output"
mv -f -- "${debs[0]}" "$output/"
echo "$output/${debs[0]##*/}"
