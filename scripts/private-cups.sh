#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A CUPS daemon of its own for tests and screenshots: a private configuration in FOLDER,
# listening on FOLDER/cups.sock, with one queue "pixelary-pdf" whose backend writes each
# finished job's PDF to FOLDER/out/job.pdf (beside it first, renamed when whole, so a cancelled
# job leaves none). Nothing of the system's CUPS is touched.
#   scripts/private-cups.sh start FOLDER   starts it; prints the CUPS_SERVER value to use
#   scripts/private-cups.sh stop FOLDER    stops it
set -euo pipefail
command=${1:?start or stop}
root=${2:?folder}
queue=pixelary-pdf

stop() {
  if [ -f "$root/cupsd.pid" ]; then
    kill "$(cat "$root/cupsd.pid")" 2>/dev/null || true
    rm -f "$root/cupsd.pid"
  fi
}

configure() {
  mkdir -p "$root"/{spool,cache,state,log,tmp,out,ppd,bin/backend}
  # Jobs run as an unprivileged user when the daemon runs as root: they must reach these.
  chmod 0777 "$root" "$root"/{spool,cache,state,tmp,out,ppd}
  for entry in /usr/lib/cups/*; do
    [ "$(basename "$entry")" = backend ] || ln -sfn "$entry" "$root/bin/"
  done
  cat > "$root/bin/backend/pixelary-file" <<'BACKEND'
#!/bin/sh
if [ $# -eq 0 ]; then echo 'file pixelary-file "Unknown" "Pixelary test file"'; exit 0; fi
target=${DEVICE_URI#pixelary-file:}
if [ -n "$6" ]; then cat "$6" > "$target.part" || exit 1; else cat > "$target.part" || exit 1; fi
mv "$target.part" "$target"
BACKEND
  # Not world-executable: a daemon running as root runs it as root, so it reaches FOLDER/out
  # whatever the folders above FOLDER allow.
  chmod 0700 "$root/bin/backend/pixelary-file"
  cat > "$root/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel warn
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
  cat > "$root/cups-files.conf" <<CONF
ServerRoot $root
RequestRoot $root/spool
CacheDir $root/cache
StateDir $root/state
TempDir $root/tmp
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
ServerBin $root/bin
DataDir /usr/share/cups
CONF
}

start() {
  [ -x /usr/sbin/cupsd ] || { echo "cupsd is not installed (Debian package cups-daemon)" >&2; exit 2; }
  configure
  /usr/sbin/cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" > "$root/log/daemon" 2>&1 &
  echo $! > "$root/cupsd.pid"
  for _ in $(seq 150); do
    [ -S "$root/cups.sock" ] && break
    sleep 0.1
  done
  [ -S "$root/cups.sock" ] || { echo "cupsd did not start; see $root/log" >&2; stop; exit 1; }
  export CUPS_SERVER=$root/cups.sock
  lpadmin -p "$queue" -E -v "pixelary-file:$root/out/job.pdf" -m raw 2>/dev/null
  lpadmin -d "$queue"
  echo "$CUPS_SERVER"
}

case $command in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop FOLDER" >&2; exit 2 ;;
esac
