#!/bin/sh
# Storage reaches its database engine only through the connection seam
# (src/base/connection.h): the SQLite engine behind it (src/base/sqlite/) is
# the one code that speaks to SQLite, besides VelaRep's page salvage, which
# reads the pages of a damaged file itself. Give another source folder as
# the first argument to check that one instead.
src="${1:-$(dirname "$0")/../src}"
hits=$(grep -rn 'sqlite3\.h\|sqlite3_' "$src" 2>/dev/null |
    grep -v -e '^[^:]*/base/sqlite/' -e '^[^:]*/maintenance/pagesalvage\.')
if [ -n "$hits" ]; then
    echo "SQLite used outside its engine behind the connection seam:"
    echo "$hits"
    exit 1
fi
