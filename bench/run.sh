#!/usr/bin/env bash
# Benchmark: start-up cost of the four programs against plain C programs
# that make the same library calls (bench/ref), and irlookup on a large code
# table against grep. Prints figures and ratios; it judges nothing and is
# not part of the test suite, since timings depend on the machine.
#
# Needs cmake, a C/C++ compiler, valgrind, GNU time (/usr/bin/time), grep,
# awk and readelf. Usage: bench/run.sh [runs]   (timed runs, default 7)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
runs=${1:-7}
progs=(lastparam schedset irlookup quadsolve)

echo "building Release tree in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOOLS_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 >/dev/null
mkdir -p "$build/ref"
for p in "${progs[@]}"; do
	libs=()
	[ "$p" = quadsolve ] && libs=(-lm)
	"${CC:-cc}" -O3 -o "$build/ref/$p" "$root/bench/ref/$p.c" "${libs[@]}"
done

data=$build/data
mkdir -p "$data"
printf 'sb_pulse\t\t600\nsb_space\t\t300\nadress\t\t\t0x00\nKEY_OK\t\t\t0x1C\nstop\t\t\t1\n' \
	>"$data/small.conf"
if [ ! -s "$data/large.conf" ]; then
	echo "generating $data/large.conf"
	awk 'BEGIN {
		printf "sb_pulse\t\t9000\nsb_space\t\t4500\nadress\t\t\t0x00\n"
		for (i = 0; i < 4000000; i++)
			printf "KEY_%07d\t\t\t0x%02X\n", i, i % 256
		printf "stop\t\t\t1\n"
	}' >"$data/large.conf"
fi

# The typical call of each program: its arguments, and its standard input.
args() {
	case $1 in
	lastparam) echo "a b" ;;
	schedset) echo "-m" ;;
	irlookup) echo "$data/small KEY_OK" ;;
	quadsolve) echo "" ;;
	esac
}
input() {
	if [ "$1" = quadsolve ]; then printf '1\n-3\n2\n'; fi
}

# Instructions that callgrind counts in the process itself (a child that
# system() starts runs outside valgrind), with a fixed small environment.
instructions() {
	local p=$1 exe=$2 err pid
	# shellcheck disable=SC2046 # the arguments are split on purpose
	err=$(input "$p" | env -i PATH=/usr/bin:/bin TERM=dumb \
		valgrind --tool=callgrind --callgrind-out-file=/dev/null \
		"$exe" $(args "$p") 2>&1 >/dev/null)
	pid=$(sed -n '1s/^==\([0-9]*\)==.*/\1/p' <<<"$err")
	sed -n "s/^==$pid== Collected : \([0-9]*\)/\1/p" <<<"$err"
}

needed() {
	readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' '
}

# Entries of .init_array: 1 is the compiler's own frame_dummy, anything
# more a static constructor.
constructors() {
	local size
	size=$(readelf -W -S "$1" | awk '$2 == ".init_array" { print $6 }')
	echo $((16#${size:-0} / 8))
}

echo
echo "== start-up: instructions (valgrind --tool=callgrind), target ratio <= 1.05"
printf '%-10s %12s %12s %7s  %-22s %s\n' program instructions reference ratio \
	"NEEDED" ".init_array"
for p in "${progs[@]}"; do
	exe=$build/$p/$p
	got=$(instructions "$p" "$exe")
	ref=$(instructions "$p" "$build/ref/$p")
	printf '%-10s %12s %12s %7.3f  %-22s %s (reference %s)\n' "$p" "$got" "$ref" \
		"$(awk -v a="$got" -v b="$ref" 'BEGIN { print a / b }')" \
		"$(needed "$exe")" "$(constructors "$exe")" "$(constructors "$build/ref/$p")"
done

# Wall time of one run in seconds. The output goes to a file: GNU grep
# stops at the first match when it writes to /dev/null.
wall() {
	local start end
	start=$EPOCHREALTIME
	"$@" >"$data/out"
	end=$EPOCHREALTIME
	awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}
median() {
	sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

irlookup=$build/irlookup/irlookup
grep_large=(grep -c -F -e sb_pulse -e sb_space -e adress -e KEY_OK -e stop "$data/large.conf")
echo
echo "== irlookup on $(wc -l <"$data/large.conf") lines ($(du -m "$data/large.conf" | cut -f1) MiB), absent command; target ratio <= 1"
# Warm the page cache, then alternate.
"$irlookup" "$data/large" KEY_OK >/dev/null
"${grep_large[@]}" >/dev/null || true
ir_times=() grep_times=()
for ((i = 0; i < runs; i++)); do
	ir_times+=("$(wall "$irlookup" "$data/large" KEY_OK)")
	grep_times+=("$(wall "${grep_large[@]}" || true)")
done
ir=$(printf '%s\n' "${ir_times[@]}" | median)
gr=$(printf '%s\n' "${grep_times[@]}" | median)
printf 'irlookup  median %s s of %s\n' "$ir" "${ir_times[*]}"
printf 'grep -c   median %s s of %s\n' "$gr" "${grep_times[*]}"
printf 'ratio     %.3f\n' "$(awk -v a="$ir" -v b="$gr" 'BEGIN { print a / b }')"

echo
echo "== irlookup peak resident set (/usr/bin/time -f %M, median), target growth <= 256 KiB"
rss() {
	for ((i = 0; i < runs; i++)); do
		/usr/bin/time -f %M "$irlookup" "$@" 2>&1 >/dev/null
	done | median
}
small=$(rss "$data/small" KEY_OK)
large=$(rss "$data/large" KEY_OK)
printf 'five lines %s KiB, large table %s KiB, growth %s KiB\n' "$small" "$large" \
	"$((large - small))"
