#!/usr/bin/env bash
# The medium's launcher on a stub medium whose "installer" records where it runs and acts
# as a user and a desktop would: it installs into its current folder, puts a file of the
# user's into the launcher's copy, and starts a viewer of the post-install file that reads
# it a second later, after the program has ended. The medium carries its program files
# also as the archives of tools/bundle-program (lib/libbig.so standing for the ICU data),
# and may be put on a file system of its own: memory (a fixed disk to the launcher) or an
# ext4 image on a loop device (a removable one).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A fresh medium; $1 $2 $3 $4 are the NFO, REG, FILERAR and FILES values.
medium() {
  rm -rf "$work/m" "$work/m.src" "$work/m.img" "$work/home" "$work/tmp" "$work/run" "$work/log" "$work/x"
  mkdir -p "$work/m/disk1/lib" "$work/m/x" "$work/home" "$work/tmp" "$work/run" "$work/log" "$work/bin"
  local d=$work/m/disk1
  cp "$repo/tools/medium-launcher" "$d/install"
  cat >"$d/installer" <<'EOF'
#!/bin/sh
(cd "${0%/*}" && find . -mindepth 1 ! -type l -printf '%y %P\n' && find . -type l -printf 'l %P -> %l\n') >"$LOG/copy"
pwd >"$LOG/cwd"
echo "$0" >"$LOG/exe"
echo game >installed.txt
echo mine >"${0%/*}/user-file"
(sleep 1; cat "${0%/*}/README.TXT" >"$LOG/viewer") </dev/null >/dev/null 2>&1 &
EOF
  chmod +x "$d/installer"
  printf '[OPTIONS]\r\nNFO.......=%s\r\nREG.......=%s\r\nFILERAR...=%s\r\nFILES.....=%s\r\n' "$1" "$2" "$3" "${4:-}" >"$d/install.ini"
  echo nfo >"$d/GAME.NFO"
  echo thanks >"$d/README.TXT"
  echo rar | tee "$d/game.rar" >"$d/game.part1.rar"
  echo lib >"$d/lib/libx.so"
  echo big >"$d/lib/libbig.so"
  echo outside | tee "$work/m/x/evil.nfo" >"$work/m/x/game.rar"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/log/dialog"\n' "$work" >"$work/bin/zenity"
  chmod +x "$work/bin/zenity"
}

# The archives of the medium's program files, the ICU data's stand-in apart.
pack() {
  local d=$work/m/disk1
  tar -czf "$d/program.1.tgz" -C "$d" installer
  tar -czf "$d/program.2.tgz" -C "$d" lib/libx.so
  tar -czf "$d/program-rest.tgz" -C "$d" lib/libbig.so
}

# Runs the launcher from folder $from with a clean environment plus the given assignments,
# optionally in a mount namespace of its own: with tmpfs folders (isolate="opts dir...")
# and the medium on a file system of its own (on=tmpfs, noexec or image).
run() {
  local cmd=(env -i "PATH=$work/bin:/usr/bin:/bin" "HOME=$work/home" "TMPDIR=$work/tmp"
    "XDG_RUNTIME_DIR=$work/run" "LOG=$work/log" "$@")
  if [ -n "${isolate:-}${on:-}" ]; then
    cmd=(unshare $userns -m sh -c 'opts=$1 dirs=$2 on=$3 m=$4; shift 4
      for d in $dirs; do mount -t tmpfs -o "$opts" tmpfs "$d" || exit 99; done
      case $on in
        tmpfs) mount -t tmpfs tmpfs "$m" && cp -a "$m.src/." "$m/" || exit 99 ;;
        noexec) mount -t tmpfs -o noexec tmpfs "$m" && cp -a "$m.src/." "$m/" || exit 99 ;;
        image) mount -o loop,ro "$m.img" "$m" || exit 99 ;;
      esac
      exec "$@"' sh "${isolate%% *}" "${isolate#* }" "${on:-}" "$work/m" "${cmd[@]}")
  fi
  rc=0
  out=$(cd "$from" && "${cmd[@]}" 2>&1 </dev/null) || rc=$?
}
userns="" && [ "$(id -u)" -eq 0 ] || userns=-r
unshare $userns -m true 2>/dev/null && can_mount=1 || can_mount=""

# Rows: name | NFO REG FILERAR FILES | folder started from | launcher, assignments and
# changes of the medium | isolate | check (shell code, with $rc, $out and the logs).
pad=$(head -c 200000 /dev/zero | tr '\0' x)
rows=(
  "home road|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install||started_in $work/home"
  "from the medium|GAME.NFO README.TXT game.rar|m/disk1|disk=./install||started_in $work/home"
  "NFO outside|../x/evil.nfo NONE game.rar|home|disk=$work/m/disk1/install||refused NFO"
  "REG outside|GAME.NFO ../x/evil.nfo game.rar|home|disk=$work/m/disk1/install||refused REG"
  "FILERAR outside|GAME.NFO NONE ../x/game.rar|home|disk=$work/m/disk1/install||refused FILERAR"
  "TMPDIR noexec|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install|noexec $work/tmp|runs_under $work/run"
  "nowhere to run|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install|noexec $work/tmp $work/run $work/home|said 'mounted noexec'"
  "TMPDIR full|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install pad|size=64k $work/tmp|refused 'No space left on device'"
  "no terminal|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install DISPLAY=:9 broken||shown 'no installer'"
  "dash in the name|GAME.NFO README.TXT game.rar|m|disk=-d/install dash||started_in $work/m"
  "CDPATH|GAME.NFO README.TXT game.rar|m|disk=disk1/install CDPATH=$work/decoy||started_in $work/home"
  "more disks|GAME.NFO README.TXT game.part1.rar 2|home|disk=$work/m/disk1/install on=tmpfs||started_in $work/home; links_only game.part1.rar"
  "no archives|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install plain||started_in $work/home; links_only game.rar"
  "one fixed disk|GAME.NFO README.TXT game.rar 1|home|disk=$work/m/disk1/install on=tmpfs||started_in $work/home; holds 'f installer' 'l lib -> $work/m/disk1/lib'"
  "one disk, noexec|GAME.NFO README.TXT game.rar 1|home|disk=$work/m/disk1/install on=noexec||started_in $work/home; links_only game.rar"
  "one removable disk|GAME.NFO README.TXT game.part1.rar 1|home|disk=$work/m/disk1/install on=image||started_in $work/home; holds 'f lib/libx.so' 'l lib/libbig.so -> $work/m/disk1/lib/libbig.so'"
  "name leaving the copy|GAME.NFO README.TXT game.rar|home|disk=$work/m/disk1/install hostile||refused 'program.2.tgz holds'"
)

started_in() {
  [ "$rc" -eq 0 ] || { fail "$name: exit code $rc: $out"; return; }
  [ "$(cat "$work/log/cwd" 2>/dev/null)" = "$1" ] || fail "$name: the program started in $(cat "$work/log/cwd" 2>/dev/null)"
  [ -f "$1/installed.txt" ] || fail "$name: the installed file is gone"
  local copy
  copy=$(dirname "$(cat "$work/log/exe")")
  [ "$(cat "$copy/user-file" 2>/dev/null)" = mine ] || fail "$name: the user's file in the copy is gone"
  [ "$(cd "$copy" && ls -A | sort | tr '\n' ' ')" = ".launcher-files README.TXT user-file " ] ||
    fail "$name: the copy holds $(ls -A "$copy")"
  for ((i = 0; i < 40; i++)); do [ -s "$work/log/viewer" ] && break; sleep 0.1; done
  [ "$(cat "$work/log/viewer" 2>/dev/null)" = thanks ] || fail "$name: the viewer found no post-install file"
}
runs_under() {
  [ "$rc" -eq 0 ] || { fail "$name: exit code $rc: $out"; return; }
  case $(cat "$work/log/exe") in "$1"/*) ;; *) fail "$name: the program ran from $(cat "$work/log/exe")" ;; esac
}
said() {
  [ "$rc" -ne 0 ] && [[ $out == *"$1"* ]] || fail "$name: exit code $rc, said: $out"
  [ ! -e "$work/log/cwd" ] || fail "$name: the program was started"
}
refused() {
  said "$1"
  [ -z "$(ls -A "$work/tmp")" ] && [ ! -e "$work/x" ] || fail "$name: files were left: $(cd "$work" && find tmp x 2>/dev/null)"
}
shown() { grep -q "$1" "$work/log/dialog" 2>/dev/null || fail "$name: no window told the user: $out"; }
# Lines of the program's folder as the program saw it ("f name", "l name -> target").
holds() {
  for line; do
    grep -qxF -- "$line" "$work/log/copy" || fail "$name: the copy held $(tr '\n' ';' <"$work/log/copy") not $line"
  done
}
links_only() {
  [ "$(grep '^l ' "$work/log/copy")" = "l $1 -> $work/m/disk1/$1" ] || fail "$name: the copy links $(grep '^l ' "$work/log/copy")"
}

for row in "${rows[@]}"; do
  IFS='|' read -r name values from launch isolate check <<<"$row"
  if [[ -n $isolate || $launch == *" on="* ]] && [ -z "$can_mount" ]; then
    echo "skipped (no mount namespace here): $name"
    continue
  fi
  if [[ $launch == *on=image* ]] && [ -n "$userns" ]; then
    echo "skipped (loop devices need root): $name"
    continue
  fi
  eval "medium $values"
  set -- $launch
  script=${1#disk=}
  shift
  assignments=() on="" packed=1 hostile="" dash=""
  for a in "$@"; do
    case $a in
      pad) printf ': %s\n' "$pad" >>"$work/m/disk1/installer" ;;
      broken) rm "$work/m/disk1/installer" && packed="" ;;
      plain) packed="" ;;
      hostile) hostile=1 ;;
      dash) dash=1 ;;
      on=*) on=${a#on=} ;;
      CDPATH=*) mkdir -p "$work/decoy/disk1" && assignments+=("$a") ;;
      *) assignments+=("$a") ;;
    esac
  done
  [ -z "$packed" ] || pack
  # A name that leads out of the copy, as a tar other than GNU's would unpack it.
  [ -z "$hostile" ] || tar -czPf "$work/m/disk1/program.2.tgz" -C "$work/m/disk1" --transform 's,^,lib/../../../,' GAME.NFO
  [ -z "$dash" ] || mv "$work/m/disk1" "$work/m/-d"
  case $on in
    tmpfs | noexec) mv "$work/m" "$work/m.src" && mkdir "$work/m" ;;
    image) truncate -s 4M "$work/m.img" && mkfs.ext4 -q -F -d "$work/m" "$work/m.img" && rm -rf "$work/m" && mkdir "$work/m" ;;
  esac
  from=$work/$from
  run "${assignments[@]}" sh -- "$script"
  eval "$check"
done
exit $((failures > 0))
