#!/usr/bin/env bash
# Builds the engine's libFuzzer target with clang into build-fuzz/, runs every
# seed in tests/fuzz/corpus/ once, then fuzzes for FUZZ_SECONDS (60 unless
# set; 0 for no limit) or FUZZ_RUNS inputs, whichever ends first: in one
# process, or with FUZZ_JOBS=N in N at once that share one corpus and one count
# of inputs (libFuzzer's fork mode). Inputs that reach new code collect in
# build-fuzz/corpus/ and are reused by the next run; an input that fails is
# saved as build-fuzz/crash-* (or timeout-*, oom-*) and can be replayed with:
# build-fuzz/tests/fuzz/fuzz_engine FILE
set -euo pipefail
EXTRA_PACKAGES="clang-14 libclang-rt-14-dev llvm-14 ${EXTRA_PACKAGES:-}"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

build=$root/build-fuzz
# Debug keeps Qt's index checks in the inlined QString and QVector code; -O1
# keeps the runs fast.
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DSUFFARR_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"
cmake --build "$build" --target fuzz_engine --parallel "$(nproc)"

fuzzer=$build/tests/fuzz/fuzz_engine
seeds=$root/tests/fuzz/corpus
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
export UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$build/corpus"

"$fuzzer" -artifact_prefix="$build/" "$seeds"/*
# Inputs of up to 4096 bytes, texts and patterns of up to 2048 code units; no
# input takes a second, so one that takes 10 is a hang.
"$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -runs="${FUZZ_RUNS:--1}" -fork="${FUZZ_JOBS:-0}" \
    -max_len=4096 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/" "$build/corpus" "$seeds"
