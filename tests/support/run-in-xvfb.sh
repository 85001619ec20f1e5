#!/bin/sh
# Runs one test program under a virtual X server of its own, with the XInput extension the
# global key needs. xvfb-run is looked for here, when the test runs, so that configuring and
# building the project need no Xvfb.
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "$(basename "$1"): needs xvfb-run to start a virtual X server; install the packages xvfb and xauth" \
       "(bash scripts/deps.sh --tests)" >&2
  exit 1
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 +extension XInputExtension" "$@"
