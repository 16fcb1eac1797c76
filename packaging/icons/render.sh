#!/usr/bin/env bash
# Renders the committed 256 px PNG from the SVG, so the build needs no SVG
# renderer. Run it after editing tarnel.svg (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert --width 256 --height 256 tarnel.svg --output tarnel-256.png
