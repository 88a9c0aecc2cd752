#!/bin/sh
# Saves docs/orva-dictation.png: the dictation window on the sample host's recording task (menu
# choice A), taken under Xvfb while the dictation integration test runs.
# Usage: tools/samplehost/screenshot-dictation.sh [build-dir]
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build}
runtime=$(mktemp -d)
ORVA_SOURCE_DIR=$src ORVA_SCREENSHOT=$src/docs/orva-dictation.png QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/dictation_integration_tests" menuTasksOpenTheWindow
rm -rf "$runtime"
