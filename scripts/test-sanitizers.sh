#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# ${SAN_BUILD_DIR:-build-asan} and runs the whole test suite there: every test
# program, lucentra, the plug-in and the libraries carry the sanitizers, and
# LeakSanitizer checks each program at exit. Part of scripts/test.sh (and so of
# CI); run on its own after scripts/setup-debian.sh.
#
# The memory-check tests (tests/faults/memcheck_test.cpp) run their programs
# under valgrind in the ordinary build and as they are here.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SAN_BUILD_DIR:-build-asan}
BUILD_DIR=$build BUILD_TYPE=${SAN_BUILD_TYPE:-RelWithDebInfo} scripts/build.sh -DPW_SANITIZE=ON -DPW_BENCH=OFF

# Undefined behaviour stops the program (the build also says
# -fno-sanitize-recover); leaks and memory errors fail the test that found them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 1200
