#!/usr/bin/env bash
# Opens the screen on the embedded default. Filled in as the host and the server arrive.
set -euo pipefail
build=${1:-build/default}
echo "Built in $build."
echo "The host application and the application server are not built yet: nothing to open."
