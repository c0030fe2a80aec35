#!/usr/bin/env bash
# Starts the system services the loopback IPP printer of the tests needs:
# ippeveprinter registers itself with avahi over the system D-Bus and refuses to
# start without it, even with "-r off". Safe to run any number of times: running
# daemons are left alone. Needs root (as in CI on a fresh machine).
set -euo pipefail

if [ "$(id -u)" != 0 ]; then
  echo "start-services.sh: needs root to start dbus and avahi" >&2
  exit 1
fi

# Root in a container has no init to make /run/dbus for us.
mkdir -p /run/dbus

bus_up() {
  [ -S /run/dbus/system_bus_socket ] || return 1
  [ -f /run/dbus/pid ] || return 1
  kill -0 "$(cat /run/dbus/pid)" 2>/dev/null
}

if ! bus_up; then
  # A pid file left by a bus that died with its container makes dbus-daemon refuse to start.
  rm -f /run/dbus/pid /run/dbus/system_bus_socket
  dbus-daemon --system --fork
fi

# avahi answers on loopback only and announces nothing: the tests' printers must not
# show up on the network, and nothing from the network must reach the tests.
conf_dir=/run/pagewright
conf=$conf_dir/avahi-daemon.conf
mkdir -p "$conf_dir"
cat >"$conf" <<'EOF'
[server]
use-ipv4=yes
use-ipv6=yes
allow-interfaces=lo
ratelimit-interval-usec=1000000
ratelimit-burst=1000

[wide-area]
enable-wide-area=no

[publish]
disable-publishing=yes
publish-hinfo=no
publish-workstation=no

[reflector]

[rlimits]
EOF

if ! avahi-daemon --check 2>/dev/null; then
  rm -f /run/avahi-daemon/pid
  avahi-daemon --file="$conf" --no-chroot --no-drop-root --daemonize
fi

# The daemon registers on the bus a moment after forking; wait until it answers.
for _ in $(seq 1 50); do
  avahi-daemon --check 2>/dev/null && exit 0
  sleep 0.1
done
echo "start-services.sh: avahi-daemon did not come up" >&2
exit 1
