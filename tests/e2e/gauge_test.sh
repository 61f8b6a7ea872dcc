#!/usr/bin/env bash
# The per-file gauge read from the screen in the middle of a long entry: its bar reaches
# as far as the entry's share that is on the disk.
. "$(dirname "$0")/e2e.sh" "$1"
extract_until_mid_entry 5 60
before=$(size_of "$(big_file)")
shot mid-entry
after=$(size_of "$(big_file)")
# Gauge1 lies at 15,28 (303 x 16); the row just inside its border, above the text.
client_point "$ext" 332 142 16 30
percent=$("$bin/dark-share" "$shots/mid-entry.png" "$cx" "$cy" 301)
low=$((before * 100 / big_total - 1))
# The gauge may run one data block (4 MiB) ahead of the file.
high=$(((after + 4194304) * 100 / big_total + 1))
echo "gauge at ${percent}%, the file between $((before * 100 / big_total))% and $((after * 100 / big_total))%"
[ "$percent" -ge "$low" ] && [ "$percent" -le "$high" ] ||
  fail "the gauge shows ${percent}% while ${low}%..${high}% of the entry is unpacked"
