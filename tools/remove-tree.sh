# Removing a folder that may have file systems mounted below it (a system root with the
# host's /dev bound into it): they are unmounted first, and nothing is removed while any
# remains, so a removal never reaches into the host's files. Sourced by scripts.

# The mount points at or below a folder, deepest first.
mounts_below() {
  local dir m
  dir=$(realpath -m -- "$1")
  # mountinfo writes blanks and backslashes in octal, which %b reads back.
  awk '{ print $5 }' /proc/self/mountinfo | while IFS= read -r m; do
    m=$(printf '%b' "$m")
    case $m in "$dir" | "$dir"/*) printf '%s\n' "$m" ;; esac
  done | tac
}

# Unmounts everything at or below a folder, lazily what is busy; fails naming what stays.
unmount_below() {
  local m left
  while IFS= read -r m; do
    umount -- "$m" 2>/dev/null || umount -l -- "$m" 2>/dev/null || true
  done < <(mounts_below "$1")
  left=$(mounts_below "$1")
  [ -z "$left" ] || { echo "still mounted below $1: $(tr '\n' ' ' <<<"$left")" >&2; return 1; }
}

# Removes a folder and everything in it, on its own file system only; a symbolic link is
# removed as a link.
remove_tree() {
  if [ -L "$1" ]; then rm -f -- "$1"; return; fi
  [ -e "$1" ] || return 0
  unmount_below "$1" || { echo "$1 is left as it is" >&2; return 1; }
  rm -rf --one-file-system -- "$1"
}
