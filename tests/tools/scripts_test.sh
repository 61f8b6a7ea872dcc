#!/usr/bin/env bash
# The project's scripts on scratch folders and stub programs: a failed bundle keeps the
# earlier one, a cached root is removed without reaching through what is mounted in it
# (as root, in a mount namespace of its own), and the apt entry that enables non-free
# names Debian's own main archive.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
if [ "$(id -u)" -eq 0 ] && [ -z "${private_mounts:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
  exec env private_mounts=1 unshare --mount --propagation private "$0" "$@"
fi
. "$repo/tools/remove-tree.sh"
work=$(mktemp -d)
trap 'remove_tree "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A bundle that fails its last check (a library nowhere to be found) leaves the disk's
# earlier bundle as it was, and no half-made folder.
mkdir -p build/bin disk/lib disk/plugins
cp /bin/true build/bin/installer && patchelf --add-needed libnowhere.so.7 build/bin/installer
cp "$(ldconfig -p | awk '/libz\.so\.1 / { print $NF; exit }')" build/bin/libinstall.so
echo earlier | tee disk/lib/libkept.so disk/plugins/kept >disk/installer
if output=$("$repo/tools/bundle-program" build disk 2>&1); then fail "bundle-program accepted a missing library"; fi
[[ $output == *"not carried and not the system's: libnowhere.so.7"* ]] || fail "bundle-program said: $output"
[ "$(cat disk/lib/libkept.so disk/plugins/kept disk/installer)" = "$(printf 'earlier\n%.0s' 1 2 3)" ] &&
  [ "$(ls -A disk)" = "$(printf 'installer\nlib\nplugins')" ] || fail "the earlier bundle changed: $(ls -AR disk)"

# Debian's main archive among apt sources: rows of the expected kind, address and entry
# ('-' for none, 'fails' when there is no archive), then the files as name=content.
vendor='Types: deb\nURIs: http://vendor.invalid/apt\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/vendor.gpg\n'
security='Types: deb\nURIs: http://mirror.invalid/debian-security\nSuites: bookworm-security\nComponents: main\n'
main='Types: deb deb-src\n# the mirror\nURIs: http://mirror.invalid/debian\nSuites: bookworm bookworm-updates\nComponents: main contrib\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
entry='Types: deb\nURIs: http://mirror.invalid/debian\nSuites: bookworm\nComponents: non-free\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg'
rows=(
  "sources|http://mirror.invalid/debian|$entry|sources.list.d/a-vendor.sources=$vendor|sources.list.d/debian.sources=$security\n$main"
  "sources|http://mirror.invalid/debian|$entry|sources.list.d/debian.sources=${main/Types: deb/Enabled: no\nTypes: deb}\n$main|sources.list.d/installer-non-free.sources=${vendor/main/non-free}"
  "list|http://mirror.invalid/debian|deb [arch=amd64] http://mirror.invalid/debian bookworm non-free|sources.list=# deb http://old.invalid/debian bookworm main\ndeb http://mirror.invalid/debian-security bookworm-security main\ndeb [arch=amd64] http://mirror.invalid/debian bookworm main contrib\n"
  "list|http://mirror.invalid/debian/|-|sources.list=deb http://mirror.invalid/debian/ bookworm main\ndeb http://mirror.invalid/debian bookworm non-free\n"
  "list|http://mirror.invalid/debian|deb http://mirror.invalid/debian bookworm non-free|sources.list.d/a-vendor.sources=$vendor|sources.list=deb http://mirror.invalid/debian bookworm main\n"
  "fails|||sources.list.d/debian.sources=$security\n${vendor/main/stable}"
)
for row in "${rows[@]}"; do
  IFS='|' read -r -a cell <<<"$row"
  rm -rf apt && mkdir -p apt/sources.list.d
  for file in "${cell[@]:3}"; do printf "${file#*=}" >"apt/${file%%=*}"; done
  got=$(. "$repo/scripts/apt-sources.sh" && debian_archive apt && printf '%s|%s|%s' "$archive_kind" "$archive_uri" "${archive_entry:--}") || got="fails||"
  want="${cell[0]}|${cell[1]}|$(printf "${cell[2]}")"
  [ "$got" = "$want" ] || fail "apt sources ${cell[*]:3}: got '$got', not '$want'"
done

# A cached root with a scratch folder bound into it, removed by a run of the proof that
# builds it anew: plainly, while a process works in the bound folder, and with an umount
# that cannot unmount (the root is then kept). The stub mmdebstrap ends each run.
if [ -z "${private_mounts:-}" ]; then
  echo "SKIP: removing a root with mounts in it needs root and a mount namespace"
else
  mkdir -p stub stuck medium/disk1 cache/tarnwick
  printf '#!/bin/sh\nexit 3\n' >stub/mmdebstrap
  printf '#!/bin/sh\nexit 32\n' >stuck/umount
  chmod +x stub/mmdebstrap stuck/umount
  for how in plain busy stuck; do
    root=cache/tarnwick/bare-root-bookworm
    mkdir -p host "$root/dev" && echo precious >host/file && echo old >"$root.packages"
    mount --bind host "$root/dev"
    holder=''
    [ $how != busy ] || { (cd "$root/dev" && exec sleep 60) & holder=$!; }
    path=$work/stub:$PATH
    [ $how != stuck ] || path=$work/stuck:$path
    output=$(PATH=$path XDG_CACHE_HOME=$work/cache "$repo/scripts/bare-desktop-proof" "$work/medium" 2>&1) || true
    [ -z "$holder" ] || kill "$holder"
    [ "$(cat host/file 2>/dev/null)" = precious ] || fail "$how: the bound folder lost its files"
    if [ $how = stuck ]; then
      [[ $output == *"still mounted below"* ]] && [ -d "$root/dev" ] || fail "$how: the root was not kept: $output"
    else
      [ ! -e "$root" ] || fail "$how: the root is still there: $output"
    fi
    remove_tree "$root" && rm -rf host "$root.packages"
  done
fi
exit $((failures > 0))
