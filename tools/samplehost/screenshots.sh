#!/bin/sh
# Takes the README's pictures again (docs/orva-*.png): Orva against the sample host under Xvfb, each
# window reached through the host's menu or the tool bar as a user reaches it, then made smaller.
# Needs xvfb-run and ImageMagick (both in the README's package list).
# Usage: tools/samplehost/screenshots.sh [build-dir]
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
runtime=$(mktemp -d)
config=$(mktemp -d)
trap 'rm -rf "$runtime" "$config"' EXIT
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# A fresh user: no window places, colours or dialog settings left from earlier runs.
{
    ORVA_PROGRAM=$build/tools/screenshots/orva-screenshots ORVA_SCREENSHOT_DIR=$src/docs XDG_CONFIG_HOME=$config \
        XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$src/tools/run-with-samplehost" "$build" "$port" || echo $? >"$config/failed"
} |
    while read -r line; do
        case $line in *.png) shot=$line ;; *) echo "$line"; continue ;; esac
        # No metadata, and at most 256 colours when that makes the file smaller (the windows have
        # few colours beyond the edges of their text): the pictures stay small in the repository.
        convert "$shot" -strip +dither -colors 256 "PNG8:$shot.small"
        if [ "$(stat -c %s "$shot.small")" -lt "$(stat -c %s "$shot")" ]; then
            mv "$shot.small" "$shot"
        else
            rm "$shot.small"
            convert "$shot" -strip -define png:compression-level=9 "$shot"
        fi
    done
# A window that did not show is named above; the pictures taken are kept all the same.
[ ! -e "$config/failed" ]
