#!/bin/sh
# manpages.sh PAGE...: each page formats without a single groff warning.
status=0
for page; do
	out=$(groff -man -ww -z "$page" 2>&1)
	[ -z "$out" ] && continue
	printf '%s:\n%s\n' "$page" "$out" >&2
	status=1
done
exit $status
