#!/bin/sh
# needed.sh PROGRAM LIB...: the program's NEEDED entries are exactly LIB...
prog=$1; shift
got=$(readelf -d "$prog" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
[ "$got" = "$want" ] && exit 0
echo "$prog needs: $got; expected: $want" >&2
exit 1
