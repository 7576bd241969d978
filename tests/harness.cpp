#include "harness.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

static void
make_pipe(int fds[2])
{
	if (pipe2(fds, O_CLOEXEC) != 0)
		abort();
}

Child
spawn(const std::string &path, const Launch &how)
{
	int in[2], out[2], err[2];
	make_pipe(in);
	make_pipe(out);
	make_pipe(err);
	signal(SIGPIPE, SIG_IGN);

	std::vector<char *> argv;
	for (const std::string &a : how.argv)
		argv.push_back(const_cast<char *>(a.c_str()));
	argv.push_back(nullptr);

	pid_t pid = fork();
	if (pid == 0) {
		dup2(in[0], 0);
		dup2(out[1], 1);
		dup2(err[1], 2);
		signal(SIGPIPE, SIG_DFL);
		for (const std::string &e : how.env)
			putenv(const_cast<char *>(e.c_str()));
		if (how.uid != (uid_t)-1 && (setgroups(0, nullptr) != 0 ||
		    setgid(how.uid) != 0 || setuid(how.uid) != 0))
			_exit(126);
		execv(path.c_str(), argv.data());
		_exit(127);
	}
	close(in[0]);
	close(out[1]);
	close(err[1]);
	return Child{pid, in[1], out[0], err[0]};
}

bool
read_until(int fd, const std::string &want, std::string &got, int timeout_ms)
{
	while (got.find(want) == std::string::npos) {
		pollfd p{fd, POLLIN, 0};
		if (poll(&p, 1, timeout_ms) <= 0)
			return false;
		char buf[4096];
		ssize_t n = read(fd, buf, sizeof buf);
		if (n <= 0)
			return false;
		got.append(buf, n);
	}
	return true;
}

Result
finish(Child &c, const std::string &in)
{
	Result r{};
	size_t sent = 0;
	if (in.empty()) {
		close(c.in);
		c.in = -1;
	}
	// Feed the input and drain both outputs together, so that neither side
	// blocks on a full pipe.
	while (c.out >= 0 || c.err >= 0) {
		pollfd p[3] = {{c.out, POLLIN, 0}, {c.err, POLLIN, 0},
		    {c.in, POLLOUT, 0}};
		if (poll(p, 3, -1) < 0 && errno != EINTR)
			break;
		for (int i = 0; i < 2; i++) {
			int &fd = i ? c.err : c.out;
			if (fd < 0 || !p[i].revents)
				continue;
			char buf[65536];
			ssize_t n = read(fd, buf, sizeof buf);
			if (n > 0) {
				(i ? r.err : r.out).append(buf, n);
			} else {
				close(fd);
				fd = -1;
			}
		}
		if (c.in >= 0 && p[2].revents) {
			ssize_t n = write(c.in, in.data() + sent, in.size() - sent);
			if (n > 0)
				sent += n;
			if (n <= 0 || sent == in.size()) {
				close(c.in);
				c.in = -1;
			}
		}
	}
	if (c.in >= 0)
		close(c.in);
	int ws;
	waitpid(c.pid, &ws, 0);
	r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
	return r;
}

Result
run(const std::string &path, const Launch &how)
{
	Child c = spawn(path, how);
	return finish(c, how.in);
}

Result
run(const std::string &path, const std::vector<std::string> &args,
    const std::string &in)
{
	Launch how;
	how.argv.push_back(path.substr(path.rfind('/') + 1));
	how.argv.insert(how.argv.end(), args.begin(), args.end());
	how.in = in;
	return run(path, how);
}

void
expect_cases(const std::string &path, const std::vector<Case> &cases)
{
	for (const Case &k : cases) {
		std::string line;
		for (const std::string &a : k.args)
			line += " [" + a + "]";
		SCOPED_TRACE("args:" + line);
		Result r = run(path, k.args, k.in);
		EXPECT_EQ(r.out, k.out);
		EXPECT_EQ(r.err, k.err);
		EXPECT_EQ(r.status, k.status);
	}
}
