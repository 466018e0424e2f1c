# Mounting and removing a throw-away Debian root. Sourced by fresh-test and
# by its teardown test. Removing a root while this machine's /dev or /sys is
# still mounted inside it would delete them, so removal refuses whenever
# anything is left mounted below the root.

# Mount points at or below $1, deepest first.
fresh_root_mounts() {
  local root
  root=$(readlink -f "$1")
  findmnt -rn -o TARGET | awk -v r="$root" '$0 == r || index($0, r "/") == 1' | sort -r
}

# The kernel file systems a Debian system expects, and apt's download folder
# $2 (kept between runs) as the root's own.
fresh_root_mount() {
  local root=$1 archives=$2
  mount -t proc proc "$root/proc"
  # Slaves, so that nothing unmounted in the root is unmounted here too.
  mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys"
  mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
  # The embedded browser needs shared memory and the virtual display a pty.
  mountpoint -q "$root/dev/shm" || mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
  mountpoint -q "$root/dev/pts" || mount -t devpts devpts "$root/dev/pts"
  mount --bind "$archives" "$root/var/cache/apt/archives"
}

# Ends what still runs inside the root, unmounts everything below it, and
# only then deletes it, never crossing into another file system.
fresh_root_remove() {
  local root=$1 pid m
  [ -d "$root" ] || return 0
  root=$(readlink -f "$root")
  local killed=0
  for pid in /proc/[0-9]*; do
    if [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ]; then
      kill -KILL "${pid#/proc/}" 2>/dev/null && killed=1
    fi
  done
  [ "$killed" -eq 0 ] || sleep 1
  while read -r m; do
    [ -n "$m" ] || continue
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done < <(fresh_root_mounts "$root")
  if [ -n "$(fresh_root_mounts "$root")" ]; then
    echo "fresh-test: not removing $root: still mounted there:" >&2
    fresh_root_mounts "$root" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
