#!/usr/bin/env bash
# Runs a program as the user who called sudo, with that user's desktop session, when this script
# runs as root through sudo; otherwise runs it as it is. A program started from a root shell would
# otherwise write its files as root, often into the user's own folders.
set -euo pipefail

if [[ $(id -u) -ne 0 || -z "${SUDO_USER:-}" || "${SUDO_USER}" == root ]]; then
  exec "$@"
fi

user=$SUDO_USER
uid=$(id -u "$user")
home=$(getent passwd "$user" | cut -d: -f6)
shell=$(getent passwd "$user" | cut -d: -f7)

# A clean environment with what a program of the desktop needs from the caller's session: root's
# HOME or XDG folders would put the program's settings and state into root's home.
environment=(
  "HOME=$home" "USER=$user" "LOGNAME=$user" "SHELL=${shell:-/bin/sh}"
  "PATH=/usr/local/bin:/usr/bin:/bin"
  "LANG=${LANG:-C.UTF-8}"
)
for name in LANGUAGE LC_ALL DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP QT_QPA_PLATFORM; do
  [[ -n "${!name:-}" ]] && environment+=("$name=${!name}")
done
# sudo keeps XAUTHORITY when it was set; a session with the default file has it in the home folder.
if [[ -n "${XAUTHORITY:-}" ]]; then
  environment+=("XAUTHORITY=$XAUTHORITY")
elif [[ -f "/run/user/$uid/gdm/Xauthority" ]]; then
  environment+=("XAUTHORITY=/run/user/$uid/gdm/Xauthority")
elif [[ -f "$home/.Xauthority" ]]; then
  environment+=("XAUTHORITY=$home/.Xauthority")
fi
runtime=/run/user/$uid
if [[ -d "$runtime" ]]; then
  environment+=("XDG_RUNTIME_DIR=$runtime")
  [[ -S "$runtime/bus" ]] && environment+=("DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus")
fi

if ! runuser -u "$user" -- test -x "$1"; then
  echo "$user may not run $1: the folder is not open to that user. Build in a folder $user can read." >&2
  exit 1
fi
exec runuser -u "$user" -- env -i "${environment[@]}" "$@"
