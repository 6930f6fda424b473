#!/usr/bin/env bash
# Sets up Kestrune and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default >/dev/null
exec build/bin/kestrune-cli "$@"
