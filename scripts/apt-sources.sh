# Finds Debian's own main archive of Debian 12 among a machine's apt sources, so that the
# scripts use the mirror the machine already uses and never name one. Sourced by scripts.

# The entry this project adds to enable the non-free component; the choice never reads it.
non_free_file=installer-non-free

# debian_archive APT-FOLDER (e.g. /etc/apt) sets
#   archive_uri    the archive's (first) address
#   archive_kind   sources (a deb822 stanza) or list (a one-line entry)
#   archive_entry  the same archive with only the non-free component, in that form; empty
#                  when the sources already enable it
# The archive is an entry whose suite is exactly bookworm and whose components include
# main (not the security or updates suites); one signed by Debian's keyring or by apt's
# default keyrings is preferred to another repository's. Fails when there is none.
debian_archive() {
  local apt=$1 files=() f records best
  for f in "$apt/sources.list.d/debian.sources" "$apt"/sources.list.d/*.sources \
    "$apt/sources.list" "$apt"/sources.list.d/*.list; do
    case ${f##*/} in "$non_free_file".*) continue ;; esac
    [ -f "$f" ] && [[ " ${files[*]} " != *" $f "* ]] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 1
  records=$(for f in "${files[@]}"; do
    case $f in
      *.sources) awk -v RS= "$apt_records$apt_deb822" "$f" ;;
      *) awk "$apt_records$apt_one_line" "$f" ;;
    esac
  done)
  best=$(awk -F '\t' '$1 == "M" && $2 == 1 { print; exit }' <<<"$records")
  [ -n "$best" ] || best=$(awk -F '\t' '$1 == "M" { print; exit }' <<<"$records")
  [ -n "$best" ] || return 1
  IFS=$'\t' read -r _ _ archive_uri archive_kind archive_entry <<<"$best"
  archive_entry=$(tr '\036' '\n' <<<"$archive_entry")
  ! awk -F '\t' -v uri="${archive_uri%/}" '$1 == "N" { sub(/\/$/, "", $2); if ($2 == uri) found = 1 }
    END { exit !found }' <<<"$records" || archive_entry=''
}

# One record a line for each bookworm entry: "M, 1 when signed by Debian's or the default
# keyrings, address, kind, the non-free entry with \036 for its line breaks" when it has
# main; "N, address" when it has non-free.
apt_records='
function has(list, word,   n, i, w) {
  n = split(list, w, /[ \t]+/)
  for (i = 1; i <= n; i++) if (w[i] == word) return 1
  return 0
}
function records(uris, suites, comps, signed, kind, entry,   u) {
  if (!has(suites, "bookworm")) return
  split(uris, u, /[ \t]+/)
  if (has(comps, "non-free")) printf "N\t%s\n", u[1]
  if (has(comps, "main"))
    printf "M\t%d\t%s\t%s\t%s\n", signed == "" || signed ~ /debian-archive-keyring/, u[1], kind, entry
}
'
# A deb822 stanza: fields with continuation lines, comments dropped; the entry keeps every
# field but the type, suite and components.
apt_deb822='
{
  n = split($0, line, "\n"); delete f; entry = ""; name = ""
  for (i = 1; i <= n; i++) {
    if (line[i] ~ /^#/) continue
    out = line[i]
    if (line[i] ~ /^[ \t]/) f[name] = f[name] " " line[i]
    else if ((c = index(line[i], ":")) > 0) {
      name = tolower(substr(line[i], 1, c - 1)); f[name] = substr(line[i], c + 1)
      if (name == "types") out = "Types: deb"
      else if (name == "suites") out = "Suites: bookworm"
      else if (name == "components") out = "Components: non-free"
    }
    entry = entry out "\036"
  }
  for (k in f) gsub(/^[ \t]+|[ \t]+$/, "", f[k])
  if (!has(f["types"], "deb") || tolower(f["enabled"]) == "no") next
  records(f["uris"], f["suites"], f["components"], f["signed-by"], "sources", entry)
}
'
# A line "deb [options] address suite components", comments dropped.
apt_one_line='
{
  sub(/#.*/, ""); if ($1 != "deb") next
  rest = $0; sub(/^[ \t]*deb[ \t]+/, "", rest); options = ""
  if (rest ~ /^\[/) { options = substr(rest, 1, index(rest, "]")); rest = substr(rest, length(options) + 1) }
  sub(/^[ \t]+/, "", rest); n = split(rest, w, /[ \t]+/)
  comps = ""; for (i = 3; i <= n; i++) comps = comps " " w[i]
  signed = match(options, /signed-by=[^] \t]+/) ? substr(options, RSTART, RLENGTH) : ""
  records(w[1], w[2], comps, signed, "list", "deb " (options == "" ? "" : options " ") w[1] " bookworm non-free")
}
'
