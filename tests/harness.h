// Black-box runner: starts a built program with real arguments, standard
// streams and environment, and collects what it wrote and how it ended.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct Launch {
	std::vector<std::string> argv;	// argv[0] included; may be empty
	std::string in;			// written to standard input, then closed
	std::vector<std::string> env;	// NAME=VALUE added to the environment
	uid_t uid = (uid_t)-1;		// if set, run as this uid (and gid) instead
};

struct Result {
	std::string out, err;
	int status;			// exit status, or 128 + signal number
};

// One black-box case: arguments after argv[0], input and the exact outcome.
struct Case {
	std::vector<std::string> args;
	std::string in, out, err;
	int status;
};

// A child whose standard streams the test drives itself.
struct Child {
	pid_t pid;
	int in, out, err;		// our ends of its three pipes
};

Child spawn(const std::string &path, const Launch &how);
// Reads from fd until `want` has arrived (true) or the time or stream ran
// out (false); what was read is appended to `got`.
bool read_until(int fd, const std::string &want, std::string &got,
    int timeout_ms = 5000);
// Closes standard input, reads both outputs to their end and reaps the child.
Result finish(Child &c, const std::string &in = "");

Result run(const std::string &path, const Launch &how);
// argv[0] is the program's base name, so diagnostics that quote it are stable.
Result run(const std::string &path, const std::vector<std::string> &args,
    const std::string &in = "");

// Runs each case and compares standard output, standard error and status.
void expect_cases(const std::string &path, const std::vector<Case> &cases);
