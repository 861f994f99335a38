#!/bin/sh
# tar archives made by GNU tar with Russian names in UTF-8 (as Linux writes them) and in
# code page 866, an empty file and an empty folder. Run from this folder; writes tarnames/.
set -e
out=$(pwd)/tarnames
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p "empty" "full"
printf 'utf' > "full/$(printf '\320\237\321\200\320\270\320\262\320\265\321\202').txt"
printf 'oem' > "full/$(printf '\217\340\250\242\245\342').dos"
: > zero.txt
touch -d '2020-01-02 03:04:06 UTC' empty full full/* zero.txt
tar --format=gnu -b1 --owner=0 --group=0 --numeric-owner --sort=name -cf "$out/names.tar" empty full zero.txt
