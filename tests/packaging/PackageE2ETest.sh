#!/bin/sh
# The Debian package as an administrator meets it: built with CPack,
# installed with apt-get into a throwaway root (overlays on /usr, /etc and
# /var inside this private mount namespace, with no network), and its
# program run headless as the service runs it: as the package's own user,
# with no right but binding port 69, its store in a folder that user owns.
# Run by scripts/in-netns. Usage: PackageE2ETest.sh <build folder> <source folder>
set -eu
build=$1
source=$2
work=$(mktemp -d)
mount -t tmpfs tmpfs "$work"
trap 'umount -l "$work"; rmdir "$work"' EXIT

fail() { echo "PackageE2ETest: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(echo "$work"/package/vantrel_*.deb)

# Debian's own checker, run as it asks to be, not as root: no error and no warning.
findings=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent \
  lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $findings"

# The throwaway root: every change lands in tmpfs layers that vanish with
# this namespace. An empty /run hides a running systemd from the package's
# scripts.
for dir in usr etc var; do
  mkdir -p "$work/layers/$dir/upper" "$work/layers/$dir/work"
  mount -t overlay overlay \
    -o "lowerdir=/$dir,upperdir=$work/layers/$dir/upper,workdir=$work/layers/$dir/work" "/$dir"
done
mount -t tmpfs tmpfs /run
state_before=$(stat -c %U /var/lib/vantrel 2>/dev/null || echo none)

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
getent passwd vantrel >/dev/null || fail "no vantrel user"
if [ "$state_before" = none ]; then
  [ "$(stat -c %U /var/lib/vantrel)" = vantrel ] || fail "/var/lib/vantrel is not the vantrel user's"
fi
# An empty state folder of the user's own, as the unit's StateDirectory= makes it.
mount -t tmpfs -o "mode=0755,uid=$(id -u vantrel),gid=$(id -g vantrel)" tmpfs /var/lib/vantrel

# --help answers without binding or touching the store.
/usr/bin/vantrel --help | grep -q "^Usage: vantrel" || fail "--help gives no usage"
[ ! -e /var/lib/vantrel/hklm.db ] || fail "--help touched the store"

# As the unit runs it; the process keeps the shell's process id.
as_service() {
  exec setpriv --reuid=vantrel --regid=vantrel --init-groups \
    --inh-caps=-all,+net_bind_service --ambient-caps=-all,+net_bind_service \
    --bounding-set=-all,+net_bind_service --no-new-privs \
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen /usr/bin/vantrel "$@"
}

# The settings, provisioned by the man page's own script as the store's owner,
# with the test's folders for /srv/tftp.
mkdir -m 0755 "$work/srv"
install -d -o vantrel -g vantrel "$work/srv/in"
head -c 100000 /dev/urandom >"$work/srv/boot.img"
sed -n "/<<'SQL'$/,/^SQL$/p" "$source/packaging/vantrel.1" | sed '1d;$d' |
  sed -e 's/\\e/\\/g' -e 's/\\-/-/g' -e "s|/srv/tftp|$work/srv|g" |
  setpriv --reuid=vantrel --regid=vantrel --init-groups sqlite3 /var/lib/vantrel/hklm.db

(as_service) 2>"$work/record" &
server=$!
bound=no
for _ in $(seq 100); do
  if grep -q ':0045 ' /proc/net/udp /proc/net/udp6; then bound=yes; break; fi
  sleep 0.1
done
[ $bound = yes ] || { cat "$work/record" >&2; fail "the installed program did not bind port 69"; }
[ "$(stat -c %U /proc/$server)" = vantrel ] || fail "it does not run as the vantrel user"

tftp -m binary 127.0.0.1 -c get boot.img "$work/fetched.img"
cmp "$work/srv/boot.img" "$work/fetched.img" || fail "the file fetched differs"
tftp -m binary 127.0.0.1 -c put "$work/fetched.img" up.img
cmp "$work/srv/boot.img" "$work/srv/in/up.img" || fail "the file uploaded differs"

# A second start while the port is taken is a failure a service manager sees.
status=0
(as_service) 2>"$work/second" || status=$?
[ $status = 1 ] || fail "a second instance exited $status, not 1"
grep -qx "vantrel: message: Unable to Bind socket. Is Vantrel already open? " "$work/second" ||
  fail "the second instance did not say why: $(cat "$work/second")"

kill -TERM $server
status=0
wait $server || status=$?
[ $status = 0 ] || fail "SIGTERM ended it with $status"
# The record, which the journal keeps under the unit: the request and its outcome.
grep -Eq '^vantrel: 127\.0\.0\.1:[0-9]+ "boot\.img" read request$' "$work/record" &&
  grep -Eq '^vantrel: 127\.0\.0\.1:[0-9]+ "boot\.img" finished: 100000 bytes in [0-9.]+ s$' "$work/record" ||
  fail "the record lacks the transfer: $(cat "$work/record")"
saved=$(sqlite3 /var/lib/vantrel/hklm.db "SELECT count(*) FROM reg_values WHERE name = 'RunMinimized'")
[ "$saved" = 1 ] || fail "the settings were not saved on SIGTERM"

# Enabled by the administrator (the link systemctl enable makes), then removed
# and purged: the removal masks the unit, the purge takes the enablement and
# the mask away and leaves the settings.
wants=/etc/systemd/system/multi-user.target.wants
mkdir -p $wants
ln -s /usr/lib/systemd/system/vantrel.service $wants/vantrel.service
dpkg --remove vantrel >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg --remove failed"; }
[ "$(readlink /etc/systemd/system/vantrel.service)" = /dev/null ] || fail "the removed unit is not masked"
dpkg --purge vantrel >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg --purge failed"; }
[ ! -L $wants/vantrel.service ] && [ ! -L /etc/systemd/system/vantrel.service ] ||
  fail "the purge left the unit enabled or masked"
[ -e /var/lib/vantrel/hklm.db ] || fail "the purge took the settings"
echo "PackageE2ETest: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed and served"
