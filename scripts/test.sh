#!/usr/bin/env bash
# Installs what is missing, builds Quillmere and runs the whole test suite.
#   scripts/test.sh            the normal build (build/)
#   scripts/test.sh --sanitize the ASan + UBSan build (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
cmake_options=()
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  cmake_options=(-DQUILLMERE_SANITIZE=ON -DQUILLMERE_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

bash scripts/setup-deps.sh
cmake -S . -B "$build_dir" -G Ninja "${cmake_options[@]}"
cmake --build "$build_dir"

# A private PulseAudio with a null sink, so playback tests have a real audio device.
runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
export XDG_RUNTIME_DIR="$runtime_dir"
export PULSE_SERVER="unix:$runtime_dir/pulse/native"
pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n \
  --load="module-null-sink sink_name=ci rate=44100 channels=2" \
  --load=module-native-protocol-unix >/dev/null 2>&1 || echo "warning: PulseAudio did not start"
stop_pulseaudio() {
  pulseaudio --kill >/dev/null 2>&1 || true
  # It writes into the runtime folder until it is gone.
  for _ in $(seq 50); do pulseaudio --check 2>/dev/null || break; sleep 0.1; done
  rm -rf "$runtime_dir" || true
}
trap stop_pulseaudio EXIT

export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1
# A private session bus for the tests that talk over D-Bus.
dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
