#!/bin/sh
# An ARJ archive made by Debian's arj with Russian names in code page 866, as DOS wrote
# them, and an empty folder:
#   Папка/Привет.txt ("hello\n", dated 2021-03-04 05:06:08 UTC), Папка/пусто/ (empty).
# Run from this folder; writes oemnames/names.arj.
set -e
out=$(pwd)/oemnames
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
folder=$(printf '\217\240\257\252\240')             # Папка
mkdir -p "$folder/$(printf '\257\343\341\342\256')"  # пусто
printf 'hello\n' > "$folder/$(printf '\217\340\250\242\245\342').txt"  # Привет.txt
TZ=UTC touch -d '2021-03-04 05:06:08' "$folder/$(printf '\217\340\250\242\245\342').txt"
rm -f "$out/names.arj"
TZ=UTC arj a -r -a1 -y "$out/names.arj" "$folder" >/dev/null
