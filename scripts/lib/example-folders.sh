# Shell functions for scripts and tests that run the batch program on copies
# of the examples and compare what it writes. Sourced, never run.

# The CSV table $1 without its "seconds" column (wall time, never the same
# twice), so that the rest can be compared byte for byte. The columns before
# it are numbers, so a comma there always ends a field.
csv_without_seconds() {
  awk 'NR == 1 { n = split($0, names, ","); for (i = 1; i <= n; i++) if (names[i] == "seconds") c = i }
    c == 0 { print; next }
    { line = $0; kept = ""
      for (i = 1; i < c; i++) { p = index(line, ","); kept = kept substr(line, 1, p); line = substr(line, p + 1) }
      p = index(line, ",")
      if (p > 0) print kept substr(line, p + 1); else print substr(kept, 1, length(kept) - 1) }' "$1"
}

# Drops the "seconds" column from every non-empty CSV table in folder $1.
without_seconds() {
  local table
  for table in "$1"/*.csv; do
    [ -s "$table" ] || continue
    csv_without_seconds "$table" >"$table.tmp" && mv "$table.tmp" "$table"
  done
}

# Copies example $2 (a folder name under examples/ of the repository at
# $root) to folder $1, with the int parameters KEY=VALUE given after them set
# (added to the int section where missing).
make_folder() {
  local folder=$1 example=$2
  shift 2
  cp -r "$root/examples/$example" "$folder"
  local p="$folder/input/parameter.txt"
  local kv
  for kv in "$@"; do
    local key=${kv%%=*} value=${kv#*=}
    if grep -q "^$key[[:space:]]" "$p"; then
      sed -i "s/^$key[[:space:]].*/$key\t$value/" "$p"
    else
      sed -i "0,/^-----.*int_parameter/s//&\n$key\t$value/" "$p"
    fi
  done
}
