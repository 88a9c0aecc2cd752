#!/bin/sh
# Saves docs/orva-editor.png: the results editor on the sample host's report (menu choice 3) with the
# sample letterhead and template, taken under Xvfb while the report integration test runs.
# Usage: tools/samplehost/screenshot-editor.sh [build-dir]
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build}
runtime=$(mktemp -d)
ORVA_SOURCE_DIR=$src ORVA_SCREENSHOT=$src/docs/orva-editor.png QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/report_upload_integration_tests" menuReportIsEditedAndFiled
rm -rf "$runtime"
