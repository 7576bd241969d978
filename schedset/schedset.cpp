// schedset: show or change a process's scheduling policy and priority, or
// start a command under new ones.
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <sched.h>
#include <unistd.h>

static constexpr char maintainer[] = MAINTAINER;

static void show_rt_info(const char *, int);
static void show_min_max(void);
static void flush_output(const char *);
static int to_int(const char *, const char *);
[[noreturn]] static void fail(const char *, const char *, ...);
[[noreturn]] static void show_usage(const char *, int);

int
main(int argc, char *argv[])
{
	static const struct option longopts[] = {
		{ "fifo",	no_argument, nullptr, 'f' },
		{ "pid",	no_argument, nullptr, 'p' },
		{ "help",	no_argument, nullptr, 'h' },
		{ "max",	no_argument, nullptr, 'm' },
		{ "other",	no_argument, nullptr, 'o' },
		{ "rr",		no_argument, nullptr, 'r' },
		{ "verbose",	no_argument, nullptr, 'v' },
		{ "version",	no_argument, nullptr, 'V' },
		{ nullptr,	0,	     nullptr, 0 },
	};
	int policy = SCHED_RR, pid = 0, verbose = 0, ch;

	// A start with an empty vector has no name of its own to show.
	const char *prog = argc > 0 && argv[0][0] != '\0' ? argv[0] : "schedset";
	if (argc < 1)
		show_usage(prog, 1);

	// "+": options end at the first operand, so the command's own
	// options reach it untouched.
	while ((ch = getopt_long(argc, argv, "+fphmorvV", longopts,
	    nullptr)) != -1) {
		switch (ch) {
		case 'f':
			policy = SCHED_FIFO;
			break;
		case 'o':
			policy = SCHED_OTHER;
			break;
		case 'r':
			policy = SCHED_RR;
			break;
		case 'v':
			verbose = 1;
			break;
		case 'p':
			// The pid is always the last argument, wherever -p stands.
			pid = to_int(argv[argc - 1], "pid");
			break;
		case 'm':
			show_min_max();
			flush_output(prog);
			exit(0);
		case 'V':
			exit(0);
		case 'h':
			show_usage(prog, 0);
		default:
			show_usage(prog, 1);
		}
	}

	int n = argc - optind;
	if ((pid != 0 && n == 0) || (pid == 0 && n <= 1))
		show_usage(prog, 1);
	if (pid != 0 && (verbose || n == 1)) {
		show_rt_info("current", pid);
		if (n == 1) {
			// The one operand was the pid: a query only.
			flush_output(prog);
			exit(0);
		}
	}

	struct sched_param param = {};
	param.sched_priority = to_int(argv[optind], "priority");
	if (sched_setscheduler(pid, policy, &param) == -1)
		fail("sched_setscheduler", "failed to set pid %d's policy\n", pid);
	if (verbose)
		show_rt_info("new", pid);
	// Before the command takes over the process, so that the report
	// is not lost in a buffer when output is a pipe or a file.
	flush_output(prog);
	if (pid != 0)
		exit(0);

	char **cmd = argv + optind + 1;
	execvp(cmd[0], cmd);
	fail("execvp", "failed to execute %s\n", cmd[0]);
}

// Converts base 10 and keeps the low 32 bits: text after the digits, or
// no digits at all, is no error; a number beyond a long is.
static int
to_int(const char *s, const char *what)
{
	errno = 0;
	long v = strtol(s, nullptr, 10);
	if (errno != 0)
		fail("strtol", "failed to parse %s!\n", what);
	return (int32_t)(uint32_t)(unsigned long)v;
}

static const char *
policy_name(int policy)
{
	switch (policy) {
	case SCHED_OTHER:
		return "SCHED_OTHER";
	case SCHED_FIFO:
		return "SCHED_FIFO";
	case SCHED_RR:
		return "SCHED_RR";
	default:
		return "unknown";
	}
}

static void
show_rt_info(const char *label, int pid)
{
	if (pid == 0)
		pid = getpid();

	int policy = sched_getscheduler(pid);
	if (policy == -1)
		fail("sched_getscheduler", "failed to get pid %d's policy\n", pid);
	printf("pid %d's %s scheduling policy: %s\n", pid, label,
	    policy_name(policy));

	struct sched_param param;
	if (sched_getparam(pid, &param) != 0)
		fail("sched_getparam", "failed to get pid %d's attributes\n", pid);
	printf("pid %d's %s scheduling priority: %d\n", pid, label,
	    param.sched_priority);
}

static void
show_min_max(void)
{
	static constexpr int policies[] = { SCHED_FIFO, SCHED_RR, SCHED_OTHER };

	for (int policy : policies) {
		int max = sched_get_priority_max(policy);
		int min = sched_get_priority_min(policy);
		if (max >= 0 && min >= 0)
			printf("%s min/max priority\t: %d/%d\n",
			    policy_name(policy), min, max);
		else
			printf("%s not supported?\n", policy_name(policy));
	}
}

// The system's reason for the failed call, then which item it concerned.
// What the reports printed so far goes out first, so that both keep their
// order when they share one file.
static void
fail(const char *call, const char *fmt, ...)
{
	int saved = errno;
	va_list ap;

	fflush(stdout);
	errno = saved;
	perror(call);
	va_start(ap, fmt);
	vfprintf(stderr, fmt, ap);
	va_end(ap);
	exit(1);
}

// A report that never reached its reader is no success.
static void
flush_output(const char *prog)
{
	if (fflush(stdout) == EOF || ferror(stdout)) {
		fprintf(stderr, "%s: write error: %s\n", prog, strerror(errno));
		exit(1);
	}
}

static void
show_usage(const char *prog, int status)
{
	fprintf(stderr, "usage: %s [options] [prio] [pid | cmd [args...]]\n", prog);
	fputs("manipulate real-time attributes of a process\n"
	    " -f, --fifo set policy to SCHED_FF\n"
	    " -p, --pid operate on existing given pid\n"
	    " -m, --max show min and max valid priorities\n"
	    " -o, --other set policy to SCHED_OTHER\n"
	    " -r, --rr set policy to SCHED_RR (default)\n"
	    " -h, --help display this help\n"
	    " -v, --verbose display status information\n"
	    " -V, --version output version information\n\n"
	    "You must give a priority if changing policy.\n\n", stderr);
	fprintf(stderr, "Report bugs and send patches to <%s>\n", maintainer);
	exit(status);
}
