#!/usr/bin/env bash
# Runs a command beside a throw-away PostgreSQL cluster (scripts/pgcluster.sh)
# and stops the cluster afterwards, whatever the command's end:
#   scripts/withpg.sh COMMAND [ARGS...]
# The tests labelled postgres find the server through VELA_PG_TEST, which is
# always set here, so a server that cannot start fails those tests instead of
# skipping them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cluster="$(mktemp -d "${TMPDIR:-/tmp}/vela-pg.XXXXXX")"
trap 'bash "$here/scripts/pgcluster.sh" stop "$cluster"' EXIT
if ! bash "$here/scripts/pgcluster.sh" start "$cluster" >/dev/null; then
  echo "withpg.sh: the test database server did not start; the postgres tests will fail" >&2
fi
VELA_PG_TEST="$(bash "$here/scripts/pgcluster.sh" conninfo "$cluster")"
export VELA_PG_TEST
"$@"
