#!/usr/bin/env bash
# The start script's last step, run as root on behalf of a sudo caller: the program runs as that
# user, with that user's home and session folders, and none of root's. Exit code 77 is a skip.
set -euo pipefail
script=$1
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: needs root, as sudo gives"; exit 77
fi
fail() { echo "FAIL: $*" >&2; exit 1; }
caller=nobody
uid=$(id -u "$caller")
home=$(getent passwd "$caller" | cut -d: -f6)

# Run as the caller.
seen=$(SUDO_USER=$caller HOME=/root XDG_CONFIG_HOME=/root/.config DISPLAY=:7 XAUTHORITY=/tmp/x.auth \
  bash "$script" /usr/bin/env)
echo "$seen" | grep -qx "HOME=$home" || fail "HOME is not the caller's: $seen"
echo "$seen" | grep -qx "USER=$caller" || fail "USER is not the caller: $seen"
echo "$seen" | grep -qx "DISPLAY=:7" || fail "DISPLAY was lost: $seen"
echo "$seen" | grep -qx "XAUTHORITY=/tmp/x.auth" || fail "XAUTHORITY was lost: $seen"
echo "$seen" | grep -q "^XDG_CONFIG_HOME=" && fail "root's XDG_CONFIG_HOME leaked: $seen"
ids=$(SUDO_USER=$caller bash "$script" /usr/bin/id -u)
[[ "$ids" == "$uid" ]] || fail "ran as uid $ids, not $uid"
# Folders of the caller's session, when it has one.
runtime=/run/user/$uid
made_runtime=0
if [[ ! -d "$runtime" ]]; then
  mkdir -p "$runtime"; chown "$caller" "$runtime"; made_runtime=1
fi
seen=$(SUDO_USER=$caller bash "$script" /usr/bin/env)
((made_runtime)) && rmdir "$runtime"
echo "$seen" | grep -qx "XDG_RUNTIME_DIR=$runtime" || fail "XDG_RUNTIME_DIR is not the caller's: $seen"

# Without sudo, or sudo from root, the program runs as it is.
[[ $(env -u SUDO_USER bash "$script" /usr/bin/id -u) == 0 ]] || fail "ran as another user without sudo"
[[ $(SUDO_USER=root bash "$script" /usr/bin/id -u) == 0 ]] || fail "sudo from root changed the user"
echo PASS
