/* Reference: the library calls of `schedset -m`, in plain C. */
#include <getopt.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>

int
main(int argc, char *argv[])
{
	static const struct option longopts[] = {
		{ "fifo", no_argument, NULL, 'f' },
		{ "pid", no_argument, NULL, 'p' },
		{ "help", no_argument, NULL, 'h' },
		{ "max", no_argument, NULL, 'm' },
		{ "other", no_argument, NULL, 'o' },
		{ "rr", no_argument, NULL, 'r' },
		{ "verbose", no_argument, NULL, 'v' },
		{ "version", no_argument, NULL, 'V' },
		{ NULL, 0, NULL, 0 },
	};
	static const int policies[] = { SCHED_FIFO, SCHED_RR, SCHED_OTHER };
	static const char *const names[] = { "SCHED_FIFO", "SCHED_RR", "SCHED_OTHER" };

	if (getopt_long(argc, argv, "+fphmorvV", longopts, NULL) != 'm')
		return 1;
	for (int i = 0; i < 3; i++) {
		int max = sched_get_priority_max(policies[i]);
		int min = sched_get_priority_min(policies[i]);
		printf("%s min/max priority\t: %d/%d\n", names[i], min, max);
	}
	exit(fflush(stdout) != 0 || ferror(stdout));
}
