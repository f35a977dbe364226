#!/bin/sh
# Window code hands storage query values, never SQL text: fails on any
# string literal under the window folders that reads like a statement.
cd "$(dirname "$0")/.." || exit 2
hits=$(grep -rnE '"[^"]*\b(SELECT|INSERT INTO|UPDATE [A-Za-z]|DELETE FROM)\b' \
    src/ledger src/ui src/settings src/partners src/importwindow src/bankwindow \
    src/historywindow 2>/dev/null)
if [ -n "$hits" ]; then
    echo "SQL text in window code:"
    echo "$hits"
    exit 1
fi
