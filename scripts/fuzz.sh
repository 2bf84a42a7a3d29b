#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded time; fails on a crash.
#   scripts/fuzz.sh [seconds per target, default 60]
# FUZZ_BUILD_DIR picks the build folder (default build-fuzz/). Crashing inputs are left in it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}

bash scripts/setup-deps.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLMERE_FUZZ=ON \
  -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir" -j 4 --target TagJsonFuzzer StoredJsonFuzzer AudioReadFuzzer LRCParserFuzzer

# Seeds: small real files of every format, with tags and a cover, and a few JSON texts.
corpus="$build_dir/corpus"
mkdir -p "$corpus/TagJsonFuzzer" "$corpus/StoredJsonFuzzer" "$corpus/AudioReadFuzzer" "$corpus/LRCParserFuzzer"
cp fuzz/seeds/LRCParserFuzzer/* "$corpus/LRCParserFuzzer/"
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
ffmpeg -v error -y -f lavfi -i color=red:s=8x8 -frames:v 1 "$seeds/cover.png"
tags=(-metadata "title=晴天" -metadata "artist=周杰伦" -metadata "date=2003-05-01" -metadata "track=3/12")
cover=(-i "$seeds/cover.png" -map 0:a -map 1:v -c:v copy -disposition:v attached_pic)
index=0
for spec in "mp3:0:cover" "m4a:1:cover" "flac:2:cover" "wav:3:" "aiff:4:" "ogg:5:" "opus:6:" "wma:7:" "wv:9:"; do
  IFS=: read -r extension selector with_cover <<<"$spec"
  extra=()
  [ -n "$with_cover" ] && extra=("${cover[@]}")
  ffmpeg -v error -y -f lavfi -i sine=duration=0.2 "${extra[@]}" "${tags[@]}" "$seeds/seed.$extension"
  # The fuzzer's first byte picks the extension; the file follows.
  { printf "\\x$(printf %02x "$selector")"; cat "$seeds/seed.$extension"; } >"$corpus/AudioReadFuzzer/seed$index"
  index=$((index + 1))
done
printf '%s' '{"title":"晴天","year":2003,"trackNumber":null,"artworkBase64":"iVBORw0KGgo="}' >"$corpus/TagJsonFuzzer/object"
printf '%s' '{ "a" : "\u00e9\ud83c\udfb5\\\"" , "b":-12 }' >"$corpus/TagJsonFuzzer/escapes"
# Keys steer the stored-JSON fuzzer's typed reads by their first letter (see StoredJsonFuzzer.cpp).
printf '%s' '{"folders":["file:///m/%E9%9F%B3"],"tracks":[{"s":"晴天\n","a":"周杰伦","i":2003,"n":1.5e2,"b":true,"o":null},
  {"u":"file:///a","a":"周杰伦","i":-1,"x":[{"y":[]}],"o":"\ud83c\udfb5"},{"r":[1,"2",[3]]}]}' >"$corpus/StoredJsonFuzzer/library"
printf '%s' '{"id":1,"trackName":"晴天","syncedLyrics":"[00:01.00]a","plainLyrics":null}' >"$corpus/StoredJsonFuzzer/lrclib"
printf '%s' '[{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","name":"列表","trackIDs":[]}]' >"$corpus/StoredJsonFuzzer/playlists"

export TMPDIR=${TMPDIR:-/tmp}
for target in TagJsonFuzzer StoredJsonFuzzer AudioReadFuzzer LRCParserFuzzer; do
  echo "Fuzzing $target for $seconds s"
  "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$build_dir/$target-" -print_final_stats=1 "$corpus/$target"
done
