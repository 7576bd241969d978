#include "harness.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

static const std::string prog = PROG_SCHEDSET;

static const std::string usage =
    "usage: schedset [options] [prio] [pid | cmd [args...]]\n"
    "manipulate real-time attributes of a process\n"
    " -f, --fifo set policy to SCHED_FF\n"
    " -p, --pid operate on existing given pid\n"
    " -m, --max show min and max valid priorities\n"
    " -o, --other set policy to SCHED_OTHER\n"
    " -r, --rr set policy to SCHED_RR (default)\n"
    " -h, --help display this help\n"
    " -v, --verbose display status information\n"
    " -V, --version output version information\n\n"
    "You must give a priority if changing policy.\n\n"
    "Report bugs and send patches to <" MAINTAINER ">\n";

// Prints what the kernel says about the shell that the command became:
// its pid, then rt_priority and policy (fields 40 and 41 of its stat).
static const std::vector<std::string> show_self = {"/bin/sh", "-c",
    "echo $$ $(cut -d' ' -f40,41 /proc/$$/stat)"};

static std::string
perr(const char *call, int e)
{
	return std::string(call) + ": " + strerror(e) + "\n";
}

static std::string
report(const std::string &pid, const char *label, const char *policy, int prio)
{
	return "pid " + pid + "'s " + label + " scheduling policy: " + policy +
	    "\npid " + pid + "'s " + label + " scheduling priority: " +
	    std::to_string(prio) + "\n";
}

// Replaces every '@' with the pid.
static std::string
with_pid(std::string s, const std::string &pid)
{
	for (size_t i; (i = s.find('@')) != std::string::npos;)
		s.replace(i, 1, pid);
	return s;
}

static std::string
join(const std::vector<std::string> &v)
{
	std::string s;
	for (const std::string &a : v)
		s += " [" + a + "]";
	return s;
}

static bool
rt_allowed()
{
	pid_t c = fork();
	if (c == 0) {
		sched_param p{};
		p.sched_priority = 1;
		_exit(sched_setscheduler(0, SCHED_FIFO, &p) == 0 ? 0 : 1);
	}
	int ws;
	waitpid(c, &ws, 0);
	return WIFEXITED(ws) && WEXITSTATUS(ws) == 0;
}

#define NEED_RT() \
	if (!rt_allowed()) \
		GTEST_SKIP() << "no right to set a real-time policy here"

// A sleeping process for schedset to work on, killed at the end of scope.
struct Sleeper {
	pid_t pid = fork();
	Sleeper(int policy = SCHED_OTHER)
	{
		if (pid == 0) {
			execl("/bin/sleep", "sleep", "60", (char *)nullptr);
			_exit(127);
		}
		sched_param p{};
		EXPECT_EQ(sched_setscheduler(pid, policy, &p), 0);
	}
	~Sleeper()
	{
		kill(pid, SIGKILL);
		waitpid(pid, nullptr, 0);
	}
	std::pair<int, int> sched() const
	{
		sched_param p{-1};
		sched_getparam(pid, &p);
		return {sched_getscheduler(pid), p.sched_priority};
	}
};

TEST(Schedset, UsageVersionAndRanges)
{
	std::string table;
	for (auto [pol, name] : {std::pair{SCHED_FIFO, "SCHED_FIFO"},
	    {SCHED_RR, "SCHED_RR"}, {SCHED_OTHER, "SCHED_OTHER"}})
		table += std::string(name) + " min/max priority\t: " +
		    std::to_string(sched_get_priority_min(pol)) + "/" +
		    std::to_string(sched_get_priority_max(pol)) + "\n";

	expect_cases(prog, {
	    {{}, "", "", usage, 1},
	    {{"-h"}, "", "", usage, 0},
	    {{"-v", "--he", "-x"}, "", "", usage, 0},
	    {{"-V", "-h"}, "", "", "", 0},
	    {{"--version"}, "", "", "", 0},
	    {{"-m"}, "", table, "", 0},
	    {{"-f", "--max", "-h", "nonsense"}, "", table, "", 0},
	    {{"-x", "-h"}, "", "", "schedset: invalid option -- 'x'\n" + usage, 1},
	    {{"--bogus"}, "", "", "schedset: unrecognized option '--bogus'\n" + usage, 1},
	    {{"-p"}, "", "", usage, 1},
	    {{"-p", "0"}, "", "", usage, 1},
	    {{"-p", "4294967296"}, "", "", usage, 1},	// cut to 0: no pid
	    {{"50"}, "", "", usage, 1},
	});
}

TEST(Schedset, AmbiguousLongOption)
{
	Result r = run(prog, {"--v", "-p", "1"});
	EXPECT_EQ(r.err.rfind("schedset: option '--v' is ambiguous", 0), 0u) << r.err;
	EXPECT_TRUE(r.err.size() > usage.size() &&
	    r.err.compare(r.err.size() - usage.size(), usage.size(), usage) == 0) << r.err;
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.status, 1);
}

TEST(Schedset, FailuresBeforeAnyChange)
{
	std::string range = perr("strtol", ERANGE);
	std::string inval = perr("sched_setscheduler", EINVAL);
	std::string nopid = "2147483647";	// beyond any pid_max
	expect_cases(prog, {
	    {{"-p", "99999999999999999999"}, "", "", range + "failed to parse pid!\n", 1},
	    {{"99999999999999999999", "true"}, "", "",
		range + "failed to parse priority!\n", 1},
	    {{"-p", "1", "-99999999999999999999"}, "", "", range + "failed to parse pid!\n", 1},
	    // Options end at 812, so "-v" is both the last argument (pid 0)
	    // and the command; RR refuses priority 812.
	    {{"-p", "812", "-v"}, "", "", inval + "failed to set pid 0's policy\n", 1},
	    {{"word", "true"}, "", "", inval + "failed to set pid 0's policy\n", 1},
	    {{"-o", "4294967297", "true"}, "", "", inval + "failed to set pid 0's policy\n", 1},
	    {{"-p", nopid}, "", "", perr("sched_getscheduler", ESRCH) +
		"failed to get pid " + nopid + "'s policy\n", 1},
	    {{"-v", "-f", "-p", "1", nopid}, "", "", perr("sched_getscheduler", ESRCH) +
		"failed to get pid " + nopid + "'s policy\n", 1},
	    {{"-f", "-p", "1", nopid}, "", "", perr("sched_setscheduler", ESRCH) +
		"failed to set pid " + nopid + "'s policy\n", 1},
	});
}

// Pid mode, checked against what the kernel then says about the process.
struct PidCase {
	std::vector<std::string> args;	// '@' stands for the pid
	int start;			// the sleeper's policy before the run
	std::string out, err;
	int status, policy, prio;
};

static void
expect_pid_cases(const std::vector<PidCase> &cases, uid_t uid = (uid_t)-1)
{
	for (const PidCase &k : cases) {
		Sleeper s(k.start);
		std::string pid = std::to_string(s.pid);
		Launch how;
		how.argv = {"schedset"};
		for (const std::string &a : k.args)
			how.argv.push_back(with_pid(a, pid));
		how.uid = uid;
		SCOPED_TRACE(join(how.argv));
		Result r = run(prog, how);
		EXPECT_EQ(r.out, with_pid(k.out, pid));
		EXPECT_EQ(r.err, with_pid(k.err, pid));
		EXPECT_EQ(r.status, k.status);
		EXPECT_EQ(s.sched(), std::make_pair(k.policy, k.prio));
	}
}

TEST(Schedset, PidModeWithoutPrivilege)
{
	std::string cur = report("@", "current", "SCHED_OTHER", 0);
	std::string inval = perr("sched_setscheduler", EINVAL) + "failed to set pid @'s policy\n";
	expect_pid_cases({
	    {{"-p", "@"}, SCHED_OTHER, cur, "", 0, SCHED_OTHER, 0},
	    {{"-v", "-f", "-p", "@"}, SCHED_OTHER, cur, "", 0, SCHED_OTHER, 0},
	    {{"-p", "@x"}, SCHED_OTHER, cur, "", 0, SCHED_OTHER, 0},
	    {{"-p", "@"}, SCHED_BATCH, report("@", "current", "unknown", 0), "", 0,
		SCHED_BATCH, 0},
	    {{"-o", "-v", "-p", "0", "@"}, SCHED_BATCH,
		report("@", "current", "unknown", 0) + report("@", "new", "SCHED_OTHER", 0),
		"", 0, SCHED_OTHER, 0},
	    {{"-v", "-p", "812", "@"}, SCHED_OTHER, cur, inval, 1, SCHED_OTHER, 0},
	    {{"-f", "-p", std::to_string(sched_get_priority_max(SCHED_FIFO) + 1), "@"},
		SCHED_OTHER, "", inval, 1, SCHED_OTHER, 0},
	});
}

TEST(Schedset, ReportPrecedesDiagnosticInOneFile)
{
	Sleeper s;
	std::string pid = std::to_string(s.pid);
	Launch how;
	how.argv = {"sh", "-c", "exec \"$0\" -v -p 812 $1 2>&1", prog, pid};
	Result r = run("/bin/sh", how);
	EXPECT_EQ(r.out, report(pid, "current", "SCHED_OTHER", 0) +
	    perr("sched_setscheduler", EINVAL) + "failed to set pid " + pid + "'s policy\n");
	EXPECT_EQ(r.status, 1);
}

TEST(Schedset, PidModeChange)
{
	NEED_RT();
	expect_pid_cases({
	    {{"-f", "-p", "50", "@"}, SCHED_OTHER, "", "", 0, SCHED_FIFO, 50},
	    {{"-p", "40", "@"}, SCHED_OTHER, "", "", 0, SCHED_RR, 40},
	    {{"-v", "--fi", "--pid", "30", "@"}, SCHED_OTHER,
		report("@", "current", "SCHED_OTHER", 0) + report("@", "new", "SCHED_FIFO", 30),
		"", 0, SCHED_FIFO, 30},
	    {{"-f", "-o", "-r", "-p", "20", "@"}, SCHED_OTHER, "", "", 0, SCHED_RR, 20},
	    {{"-r", "--other", "-f", "-p", "20", "@"}, SCHED_OTHER, "", "", 0, SCHED_FIFO, 20},
	    {{"-f", "-p", "10", "ignored", "-o", "@"}, SCHED_OTHER, "", "", 0, SCHED_FIFO, 10},
	    {{"-p", "-f", "4294967346", "@x"}, SCHED_OTHER, "", "", 0, SCHED_FIFO, 50},
	});
}

TEST(Schedset, UnprivilegedChangeIsRefused)
{
	rlimit rl;
	if (geteuid() != 0 || getrlimit(RLIMIT_RTPRIO, &rl) != 0 || rl.rlim_cur != 0)
		GTEST_SKIP() << "needs root to drop to uid 65534 with no real-time rlimit";
	std::string eperm = perr("sched_setscheduler", EPERM) + "failed to set pid @'s policy\n";
	expect_pid_cases({
	    {{"-v", "-f", "-p", "10", "@"}, SCHED_OTHER,
		report("@", "current", "SCHED_OTHER", 0), eperm, 1, SCHED_OTHER, 0},
	    {{"-o", "-p", "0", "@"}, SCHED_BATCH, "", eperm, 1, SCHED_BATCH, 0},
	}, 65534);

	Launch how;
	how.argv = {"schedset", "-v", "-f", "10"};
	how.argv.insert(how.argv.end(), show_self.begin(), show_self.end());
	how.uid = 65534;
	Result r = run(prog, how);
	EXPECT_EQ(r.out, "");	// neither the report nor the command
	EXPECT_EQ(r.err, with_pid(eperm, "0"));
	EXPECT_EQ(r.status, 1);
}

// Command mode: the command's own view of its pid and scheduling.
struct CmdCase {
	std::vector<std::string> args;	// followed by the command
	std::vector<std::string> cmd;
	bool rt;			// needs the real-time privilege
	std::string out, err;		// '@' stands for the pid
	int status;
};

TEST(Schedset, CommandMode)
{
	std::string lp = PROG_LASTPARAM;
	std::string noexec = perr("execvp", ENOENT) + "failed to execute /nonexistent/cmd\n";
	bool rt = rt_allowed();
	std::vector<CmdCase> cases = {
	    {{"-f", "-v", "20"}, show_self, true,
		report("@", "new", "SCHED_FIFO", 20) + "@ 20 1\n", "", 0},
	    {{"--rr", "30"}, show_self, true, "@ 30 2\n", "", 0},
	    {{"4294967346"}, show_self, true, "@ 50 2\n", "", 0},
	    {{"-o", "-v", "0"}, show_self, false,
		report("@", "new", "SCHED_OTHER", 0) + "@ 0 0\n", "", 0},
	    {{"-o", "-p", "0"}, show_self, false, "@ 0 0\n", "", 0},
	    {{"-o", "0"}, {lp, "-v", "--help", "-p"}, false,
		"Insgesamt 3 Argumente\nLetztes Argument: -p\n", "", 0},
	    {{"-o", "-v", "0"}, {"/nonexistent/cmd", "x"}, false,
		report("@", "new", "SCHED_OTHER", 0), noexec, 1},
	};
	for (const CmdCase &k : cases) {
		if (k.rt && !rt)
			continue;
		Launch how;
		how.argv = {"schedset"};
		how.argv.insert(how.argv.end(), k.args.begin(), k.args.end());
		how.argv.insert(how.argv.end(), k.cmd.begin(), k.cmd.end());
		SCOPED_TRACE(join(how.argv));
		Child c = spawn(prog, how);
		std::string pid = std::to_string(c.pid);
		Result r = finish(c);
		EXPECT_EQ(r.out, with_pid(k.out, pid));
		EXPECT_EQ(r.err, with_pid(k.err, pid));
		EXPECT_EQ(r.status, k.status);
	}
	if (!rt)
		GTEST_SKIP() << "no right to set a real-time policy: RT rows not run";
}

TEST(Schedset, EmptyArgumentVectorNamesTheProgram)
{
	Launch how;	// no argv[0] at all
	Result r = run(prog, how);
	EXPECT_EQ(r.err, usage);
	EXPECT_EQ(r.status, 1);
}

TEST(Schedset, WriteErrorIsAFailure)
{
	for (const char *args : {"-m", "-p $$", "-o -v 0 sh -c 'echo ran >&2'"}) {
		SCOPED_TRACE(args);
		Launch how;
		how.argv = {"sh", "-c", std::string("exec \"$0\" ") + args + " >/dev/full", prog};
		Result r = run("/bin/sh", how);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err, prog + ": write error: " + std::string(strerror(ENOSPC)) + "\n");
	}
}
