#!/bin/sh
# Storage reaches its database engine only through the connection seam
# (src/base/connection.h): the SQLite engine behind it (src/base/sqlite/) is
# the one code that speaks to SQLite, besides VelaRep's page salvage, which
# reads the pages of a damaged file itself. SQL that only SQLite understands
# comes from the engine's dialect; VelaRep, which rebuilds SQLite files as
# files, is the one other place that writes it. Give another source folder as
# the first argument to check that one instead.
src="${1:-$(dirname "$0")/../src}"
status=0
hits=$(grep -rn 'sqlite3\.h\|sqlite3_' "$src" 2>/dev/null |
    grep -v -e '^[^:]*/base/sqlite/' -e '^[^:]*/maintenance/pagesalvage\.')
if [ -n "$hits" ]; then
    echo "SQLite used outside its engine behind the connection seam:"
    echo "$hits"
    status=1
fi
# The server engine (src/base/postgres/) is the one code that speaks libpq.
hits=$(grep -rn 'libpq-fe\.h\|\bPQ[a-z][A-Za-z]*(' "$src" 2>/dev/null |
    grep -v -e '^[^:]*/base/postgres/')
if [ -n "$hits" ]; then
    echo "libpq used outside its engine behind the connection seam:"
    echo "$hits"
    status=1
fi
# In code, not in comments: ifnull(), NOT INDEXED, STRICT tables, the schema
# table, unary "+" index hints, the engine's own functions.
words='(ifnull|IFNULL)[[:space:]]*\(|NOT INDEXED|not indexed|\) STRICT|STRICT"|sqlite_master|"\+"|"\+rowid|vela_(like|fold|prefix|same|hu)\b'
hits=$(grep -rnE "$words" "$src" --include='*.cpp' --include='*.h' 2>/dev/null |
    grep -v -e '^[^:]*/base/sqlite/' -e '^[^:]*/maintenance/' |
    grep -vE '^[^:]*:[0-9]+:[[:space:]]*//')
if [ -n "$hits" ]; then
    echo "SQLite's own SQL written outside the dialect of the connection seam:"
    echo "$hits"
    status=1
fi
exit $status
