#!/usr/bin/env bash
# The fresh root's teardown: what is mounted inside is unmounted, never
# deleted, and a mount that cannot be undone stops the removal.
# usage: fresh_root_test.sh scripts/fresh-root.sh
set -uo pipefail
. "$1"
[ "$(id -u)" -eq 0 ] || { echo "needs root to mount"; exit 77; }

passes=0
failures=0
check() { # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# A stand-in for the machine's /dev: its own file system, with a file in it
# and a mount below it, bound into the root as fresh-test binds /dev.
host=$(mktemp -d)
mount -t tmpfs hostdev "$host" || { echo "cannot mount a tmpfs here"; exit 77; }
mkdir "$host/shm" && mount -t tmpfs hostshm "$host/shm"
touch "$host/null" "$host/shm/segment"
make_root() {
  root=$(mktemp -d)
  mkdir "$root/dev"
  mount --rbind "$host" "$root/dev" && mount --make-rslave "$root/dev"
}
host_intact() { [ -e "$host/null" ] && [ -e "$host/shm/segment" ]; }

make_root
fresh_root_remove "$root"
check "the root is removed" test ! -e "$root"
check "nothing stays mounted where it was" test -z "$(fresh_root_mounts "$root")"
check "the bound file system keeps its files" host_intact

make_root
(umount() { return 1; } && fresh_root_remove "$root" 2>/dev/null)
check "a mount that will not go stops the removal" test $? -ne 0
check "the bound file system keeps its files when removal stops" host_intact
check "the stopped root is still there" test -d "$root/dev"
fresh_root_remove "$root"
check "a second try removes it" test ! -e "$root"

umount -R "$host" && rmdir "$host"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
