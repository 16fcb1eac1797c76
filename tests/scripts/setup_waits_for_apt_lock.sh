#!/usr/bin/env bash
# scripts/setup.sh waits while another install holds the package manager's
# lock: an apt-get that finds the lock held (as apt says it) is tried again
# until it gets through, and a real failure still fails. apt-get, dpkg-query
# and sudo are stand-ins on PATH; nothing is installed.
set -euo pipefail
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
echo "not-installed"
STUB
# No real install holds the locks here.
cat >"$work/bin/fuser" <<'STUB'
#!/bin/sh
exit 1
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/bin/sh
exec "$@"
STUB
# Refuses with apt's own lock message BUSY times, then succeeds (or, with
# BROKEN set, fails for another reason).
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
n=$(cat "$WORK/calls" 2>/dev/null || echo 0)
echo $((n + 1)) >"$WORK/calls"
echo "apt-get $*" >>"$WORK/log"
if [ "$n" -lt "$BUSY" ]; then
  echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (apt-get)" >&2
  echo "E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another process using it?" >&2
  exit 100
fi
if [ -n "${BROKEN:-}" ]; then
  echo "E: Unable to locate package nosuchthing" >&2
  exit 100
fi
exit 0
STUB
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" WORK="$work" TARNEL_APT_RETRY_PAUSE=0

BUSY=3 bash "$setup" >"$work/out" 2>&1 || { echo "setup failed while the lock was held:"; cat "$work/out"; exit 1; }
grep -q "install -y" "$work/log" || { echo "setup never installed"; cat "$work/log"; exit 1; }
grep -q "DPkg::Lock::Timeout" "$work/log" || { echo "apt-get does not wait for the dpkg lock"; cat "$work/log"; exit 1; }

rm -f "$work/calls" "$work/log"
if BUSY=0 BROKEN=1 bash "$setup" >"$work/out" 2>&1; then
  echo "a failure that is no lock was taken for success"; exit 1
fi
[ "$(cat "$work/calls")" = 1 ] || { echo "a failure that is no lock was tried again"; exit 1; }

rm -f "$work/calls" "$work/log"
if BUSY=1000 TARNEL_APT_WAIT=2 TARNEL_APT_RETRY_PAUSE=1 bash "$setup" >"$work/out" 2>&1; then
  echo "a lock held for ever was taken for success"; exit 1
fi
echo ok
