#!/usr/bin/env bash
# The hostile-input suite: malformed and hostile fonts through the three
# programs under memory and time caps. usage: hostile.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
bash "$2/tests/hostile/run.sh" "$1"
