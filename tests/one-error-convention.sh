#!/bin/sh
# A failure travels one way: as the Error of a returned vela::Result or
# vela::Status (src/base/result.h). Fails on the shapes that went before it:
# an error text written through an out-parameter, an error kept on an object
# to be asked for afterwards, and a damaged flag beside the result.
cd "$(dirname "$0")/.." || exit 2
hits=$(grep -rnE 'QString ?\* ?(error|err|why|detail)\b|bool ?\* ?damaged|[^.]\blastError\(\)|QString lastError|QString error\(\) const' \
    src data 2>/dev/null | grep -vE '(qt_|query|q|db|Qt|sql)\.lastError\(\)')
if [ -n "$hits" ]; then
    echo "Failures reported outside vela::Result:"
    echo "$hits"
    exit 1
fi
