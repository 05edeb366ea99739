#!/usr/bin/env bash
# Peak resident memory showing and scrolling a 10 GiB file against a 4 KiB one.
set -euo pipefail
probe=${1:-"$(cd "$(dirname "$0")/.." && pwd)/build/release/bench/view_memory_probe"}
small=$("$probe" 4096 | awk '{print $2}')
huge=$("$probe" $((10 << 30)) | awk '{print $2}')
echo "peak RSS 4 KiB file: ${small} KiB; 10 GiB file: ${huge} KiB; difference: $((huge - small)) KiB"
