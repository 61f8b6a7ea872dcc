#!/usr/bin/env bash
# The publisher's command: a two-disk medium of a small game with its own texts and
# pictures, and bad inputs that are refused without leaving anything behind.
# Usage: make-medium_test.sh <build tree of the tests>
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(cd "$1" && pwd)/make-medium-tree
work=$(mktemp -d)
. "$repo/tools/remove-tree.sh"
trap 'remove_tree "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A picture of one colour in the given size.
jpeg() { awk -v w="$2" -v h="$3" -v c="$4" 'BEGIN { print "P3", w, h, 255; for (i = 0; i < w * h; i++) print c }' | cjpeg -quality 90 >"$1"; }
mkdir -p art game/DATA/EMPTY game/'SAVE GAMES'
jpeg art/background.jpg 489 387 '200 30 160'
jpeg art/install.jpg 89 78 '30 200 40'
jpeg art/info.jpg 82 79 '30 40 200'
jpeg art/exit.jpg 82 78 '220 40 30'
jpeg art/banner.jpg 319 56 '240 200 20'
head -c 70000 /dev/urandom >game/DATA/LEVELS.DAT
printf 'run me\r\n' >game/GAME.EXE
printf 'hidden\n' >game/.config
printf '\311\315\273 GAME\r\n' >GAME.NFO
printf 'REGEDIT4\r\n' >SETUP.REG

good=(--build "$tree" --artwork art --appz '"Quoted" Game' --dir GAME --scrtxt ' Hello ' --nfo GAME.NFO
  --reg SETUP.REG --archive game --volume-size 30000b)
"$repo/tools/make-medium" "${good[@]}" --disks 2 game medium >make.log 2>&1 || { cat make.log; fail "the medium was not made"; }

expected=$(printf '[OPTIONS]\r\nAPPZ......="Quoted" Game\r\nSIZE......=1\r\nDIR.......=GAME\r\nFILERAR...=game.part1.rar\r\nNFO.......=GAME.NFO\r\nREG.......=SETUP.REG\r\nSCRTXT....=" Hello "\r\nFILES.....=3\r\nx')
[ "$(cat medium/disk1/install.ini; printf x)" = "$expected" ] || fail "install.ini: $(od -c medium/disk1/install.ini)"
volumes=$(cd medium && ls disk1/*.rar disk2/*.rar | tr '\n' ' ')
[ "$volumes" = "disk1/game.part1.rar disk2/game.part2.rar disk2/game.part3.rar " ] || fail "volumes: $volumes"
(cd medium && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
listed=$(cut -c67- medium/SHA256SUMS | sort | tr '\n' ' ')
present=$(cd medium && find disk* -type f | sort | tr '\n' ' ')
[ "$listed" = "$present" ] || fail "SHA256SUMS lists $listed, the medium holds $present"
mkdir joined unpacked && cp medium/disk*/*.rar joined/
(cd unpacked && unrar x -idq ../joined/game.part1.rar) && diff -r game unpacked >/dev/null || fail "the volumes do not unpack to the game"
# The program stores its pictures unchanged: the publisher's background is in it, the
# project's is not.
hex() { od -An -v -tx1 "$1" | tr -d ' \n'; }
hex "$(find medium/disk1 -type f -name installer | head -n 1)" >program.hex
grep -qF "$(hex art/background.jpg)" program.hex || fail "the program lacks the publisher's background"
! grep -qF "$(hex "$repo/assets/background.jpg")" program.hex || fail "the program still holds the project's background"

# The whole installation from that medium through its launcher, disk 2 put in at the prompt.
"$repo/tools/check-medium" medium >check.log 2>&1 || { cat check.log; fail "the medium does not install"; }

# Bad inputs: each row is the expected message, then the arguments that replace the good
# ones (later options win), after any VARIABLE=value for its environment.
mkdir -p empty norar reserved secret linked/inner
for name in INSTALL qt.conf Lib plugins; do echo text >reserved/$name; done
echo key >secret/key && cp game/GAME.EXE linked/
ln -s ../secret linked/data && ln -s ../../secret/key linked/inner/key && ln -s GAME.EXE linked/alias
for tool in /usr/bin/* /bin/*; do [ "${tool##*/}" = rar ] || ln -sf "$tool" norar/; done
jpeg art2-banner.jpg 10 10 '0 0 0'
cp -r art art2 && cp art2-banner.jpg art2/banner.jpg
cp -r art art3 && printf 'not a picture' >art3/info.jpg
long=$(printf '%251s' '' | tr ' ' x)
rows=(
  "game folder nothere does not exist|nothere"
  "holds no files|empty"
  "information file MISSING.NFO does not exist|--nfo MISSING.NFO game"
  "post-install file MISSING.REG does not exist|--reg MISSING.REG game"
  "'12X' is not a size|--volume-size 12X game"
  "APPZ holds a line break|--appz $'A\nB' game"
  "APPZ is 251 bytes long; the program keeps only 250|--appz $long game"
  "banner.jpg is 10 × 10 pixels; banner.jpg must be 319 × 56|--artwork art2 game"
  "info.jpg is not a JPEG picture (82 × 79 pixels expected)|--artwork art3 game"
  "on a disk of 100000 bytes|--disk-size 100000b game"
  "rar is not installed|PATH=$work/norar game"
  "symbolic links that lead out of it: data -> ../secret; inner/key -> ../../secret/key; copy|linked"
  "the file name INSTALL is taken by the medium's own install|LC_ALL=tr_TR.UTF-8 --nfo reserved/INSTALL game"
  "the file name qt.conf is taken by the medium's own qt.conf|--reg reserved/qt.conf game"
  "the file name Lib is taken by the medium's own lib|--nfo reserved/Lib game"
  "the file name plugins is taken by the medium's own plugins|--reg reserved/plugins game"
  "--volume-size '99999999999999999999T' is more than 1000T (10^15 bytes)|--volume-size 99999999999999999999T game"
  "--disk-size '1001T' is more than 1000T|--disk-size 1001T game"
  "--size '99999999999999999999' is more than 2147483647|--size 99999999999999999999 game"
  "--disks '2147483648' is more than 2147483647|--disks 2147483648 game"
)
mkdir full && echo keep >full/file
for row in "${rows[@]}"; do
  message=${row%%|*}
  eval "args=(${row#*|})"
  env=()
  while [[ ${args[0]} =~ ^[A-Z_]+= ]]; do env+=("${args[0]}") && args=("${args[@]:1}"); done
  for target in absent full; do
    before=$(ls -A)
    if output=$(env "${env[@]}" "$repo/tools/make-medium" "${good[@]}" "${args[@]}" "$target" 2>&1); then
      fail "accepted: ${row#*|}"
    elif [[ $target = absent && $output != *"$message"* || $output =~ line\ [0-9]+: ]]; then
      fail "'${row#*|}' said: $output"
    fi
    [ "$(ls -A)" = "$before" ] && [ "$(cat full/file)" = keep ] && [ "$(ls -A full)" = file ] ||
      fail "'${row#*|}' into $target left $(ls -A)"
  done
done
output=$("$repo/tools/make-medium" "${good[@]}" game full 2>&1) && fail "a folder that is not empty was used"
[[ $output == *"output folder $work/full is not empty"* ]] || fail "full folder: $output"

# A disk that fills up as rar starts: a disk of its own, which rar's wrapper fills.
if [ "$(id -u)" -eq 0 ]; then
  mkdir small fillrar
  printf '#!/bin/sh\ncat /dev/zero >"%s" 2>/dev/null\nexec %s "$@"\n' "$work/small/filler" "$(command -v rar)" >fillrar/rar
  chmod +x fillrar/rar
  room=$(($(du -sk medium/disk1 | cut -f1) + $(find medium/disk1 -type f -printf '%s\n' | sort -n | tail -n 1) / 1024 + 4096))
  mount -t tmpfs -o size=${room}k tmpfs small
  output=$(PATH=$work/fillrar:$PATH "$repo/tools/make-medium" "${good[@]}" game small/medium 2>&1) && fail "a full disk took the medium"
  [[ $output == *"the disk holding $work/small is full"* ]] || fail "full disk: $output"
  [ "$(ls -A small)" = filler ] || fail "the full disk keeps $(ls -A small)"
else
  echo "SKIP: a full disk needs root (a tmpfs of its own)"
fi
exit $((failures > 0))
