#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, in a folder of its own:
#
#   scripts/pgcluster.sh start DIR   makes DIR/data on first use, starts the
#                                    server, prints its connection string
#   scripts/pgcluster.sh stop DIR    stops it and removes DIR
#   scripts/pgcluster.sh conninfo DIR
#
# The server listens on a Unix socket in DIR only (no TCP), trusts every
# local login and keeps nothing safe on disk (fsync off): it exists for one
# test run. PostgreSQL refuses to run as root, and CI runs as root, so a
# root caller runs it as the unprivileged user "velapg", made when missing.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
if [[ -z "$cmd" || -z "$dir" ]]; then
  echo "usage: $0 start|stop|conninfo DIR" >&2
  exit 2
fi
dir="$(mkdir -p "$dir" && cd "$dir" && pwd)"
superuser=vela_test
conninfo="host=$dir user=$superuser dbname=postgres"

bindir() {
  if command -v pg_config >/dev/null 2>&1 && [[ -x "$(pg_config --bindir)/initdb" ]]; then
    pg_config --bindir
    return
  fi
  local d
  d="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)"
  if [[ -z "$d" || ! -x "$d/initdb" ]]; then
    echo "pgcluster: PostgreSQL's server programs (initdb) are not installed" >&2
    exit 1
  fi
  echo "$d"
}

# Runs a server program as the cluster's owner.
as_owner() {
  if [[ "$(id -u)" -eq 0 ]]; then
    runuser -u velapg -- "$@"
  else
    "$@"
  fi
}

prepare_owner() {
  [[ "$(id -u)" -eq 0 ]] || return 0
  if ! id velapg >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin velapg \
      2>/dev/null || id velapg >/dev/null  # another run may have made it meanwhile
  fi
  chown velapg "$dir"
  # The owner must reach the folder through its parents.
  local p="$dir"
  while [[ "$p" != "/" ]]; do
    p="$(dirname "$p")"
    chmod o+x "$p" 2>/dev/null || true
  done
}

running() {
  [[ -f "$dir/data/postmaster.pid" ]] && as_owner "$(bindir)/pg_ctl" -D "$dir/data" status >/dev/null 2>&1
}

case "$cmd" in
  start)
    bin="$(bindir)"
    prepare_owner
    if running; then
      echo "$conninfo"
      exit 0
    fi
    if [[ ! -f "$dir/data/PG_VERSION" ]]; then
      rm -rf "$dir/data"
      as_owner "$bin/initdb" -D "$dir/data" -U "$superuser" -A trust -E UTF8 --locale=C.UTF-8 \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-c listen_addresses='' -k '$dir' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" \
      >/dev/null; then
      cat "$dir/server.log" >&2 || true
      exit 1
    fi
    echo "$conninfo"
    ;;
  stop)
    if [[ -f "$dir/data/postmaster.pid" ]]; then
      as_owner "$(bindir)/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    fi
    rm -rf "$dir"
    ;;
  conninfo)
    echo "$conninfo"
    ;;
  *)
    echo "usage: $0 start|stop|conninfo DIR" >&2
    exit 2
    ;;
esac
