#!/bin/sh
# The archive kill test at full length: a writer rewriting the archive in a
# loop is killed at random moments, and every time the archive must be the
# old or the new one, complete. make test runs a few dozen; this runs
# KILLS (1000 by default).
# Usage: tools/kill_test.sh [KILLS] [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${2:-build}
VORBIX_KILLS=${1:-1000} "$build/tests/vorbix_tests" --gtest_filter=Archive.KilledWriterLeavesOldOrNewArchive
