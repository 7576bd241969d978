#!/bin/sh
# package.sh BUILD_DIR SOURCE_DIR: builds the Debian package, unpacks it and
# runs what it holds.
set -eu
build=$1 src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cpack -G DEB -B "$tmp/out" --config "$build/CPackConfig.cmake" >"$tmp/log" 2>&1 ||
	{ cat "$tmp/log" >&2; fail "cpack failed"; }
deb=$(ls "$tmp"/out/*.deb)
dpkg-deb -f "$deb" Package Version Maintainer Depends Description >"$tmp/fields"
grep -q '^Package: rttools$' "$tmp/fields" || fail "package name"
grep -q '^Depends:.*libc6' "$tmp/fields" || fail "no dependency on libc6"
grep -q '^Maintainer: .*@' "$tmp/fields" || fail "no maintainer"

dpkg-deb -x "$deb" "$tmp/root"
r=$tmp/root/usr
for f in bin/schedset bin/irlookup bin/quadsolve bin/lastparam \
	share/man/man1/schedset.1.gz share/man/man1/irlookup.1.gz \
	share/man/man1/quadsolve.1.gz share/man/man1/lastparam.1.gz \
	share/bash-completion/completions/schedset \
	share/bash-completion/completions/irlookup; do
	[ -e "$r/$f" ] || fail "missing /usr/$f"
done

# The unpacked programs run.
[ "$("$r/bin/lastparam" a b)" = "$(printf 'Insgesamt 2 Argumente\nLetztes Argument: b')" ] ||
	fail "lastparam"
"$r/bin/schedset" -m | grep -q '^SCHED_OTHER min/max priority' || fail "schedset -m"
"$r/bin/irlookup" "$src/examples/remote" KEY_OK | grep -q '^command = ' || fail "irlookup"
printf '1 -3 2\n' | TERM=dumb "$r/bin/quadsolve" | grep -q '^x2 = 1\.0' || fail "quadsolve"
echo "package: $(basename "$deb") holds the programs, pages and completions; they run"
