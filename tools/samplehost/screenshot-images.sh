#!/bin/sh
# Saves docs/orva-images.png (the main window showing a request's first image) and
# docs/orva-detached.png (the detached image window on a request's forms), taken under Xvfb while the
# image integration tests run against the sample host and a generated share.
# Usage: tools/samplehost/screenshot-images.sh [build-dir]
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build}
runtime=$(mktemp -d)
ORVA_SOURCE_DIR=$src ORVA_SCREENSHOT=$src/docs/orva-images.png QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/image_share_integration_tests"
ORVA_SOURCE_DIR=$src ORVA_SCREENSHOT=$src/docs/orva-detached.png QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/detached_window_integration_tests"
rm -rf "$runtime"
