#include "harness.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

static const std::string prog = PROG_QUADSOLVE;
static const std::string zeros(100, '0');

static std::string
prompt(char name)
{
	return std::string("\nBitte eine Zahl fuer ") + name + " eingeben: ";
}

// Everything the program writes when it has computed `outcome`.
static std::string
dialog(const std::string &outcome)
{
	return "Programm zur Loesung einer quadratischen Gleichung\n"
	    "\nAllgemein: ax^2+bx+c\n" + prompt('a') + prompt('b') + prompt('c') +
	    outcome;
}

static std::string
digits(float x)
{
	char buf[512];
	snprintf(buf, sizeof buf, "%.100f", (double)x);
	return buf;
}

// The outcome for the coefficients a, b, c: b^2 - 4ac, -b and 2a taken
// exactly and then reduced to 32 bits, the quotients rounded to float.
static std::string
outcome(int64_t a, int64_t b, int64_t c)
{
	auto low32 = [](__int128 v) { return (double)(int32_t)(uint32_t)v; };
	double d = low32((__int128)b * b - (__int128)4 * a * c);
	volatile double nb = low32(-b), den = low32(2 * a);	// no folding
	float x1 = (nb + std::sqrt(d)) / den, x2 = (nb - std::sqrt(d)) / den;
	if (d == 0)
		return "\nx1 = x2 = " + digits(x1) + "\n";
	if (d < 0)
		return "\nLeere Menge\n";
	return "\nx1 = " + digits(x1) + "\nx2 = " + digits(x2) + "\n";
}

static Launch
dumb(const std::string &in, std::vector<std::string> env = {})
{
	env.push_back("TERM=dumb");	// clear prints nothing
	return Launch{{"quadsolve"}, in, env};
}

TEST(Quadsolve, Outcomes)
{
	const std::string root_half = "0.707106769084930419921875" + zeros.substr(24);
	struct { std::string in, out; } cases[] = {
	    {"1\n-3\n2\n", "\nx1 = 2." + zeros + "\nx2 = 1." + zeros + "\n"},
	    {"1\n2\n1\n", "\nx1 = x2 = -1." + zeros + "\n"},
	    {"1\n0\n1\n", "\nLeere Menge\n"},
	    {"2\n0\n-1\n", "\nx1 = " + root_half + "\nx2 = -" + root_half + "\n"},
	    {"0\n0\n5\n", outcome(0, 0, 5)},	// 0/0: the platform's not-a-number
	    // Bases, signs and white space as scanf's %i reads them.
	    {"010\n0x10\n-0X1f\n", outcome(8, 16, -31)},
	    {" \n\t+7\n\n-011 2", outcome(7, -9, 2)},
	    {"08\n1\n", outcome(0, 8, 1)},
	    {"1 0xA -0\n", outcome(1, 10, 0)},
	    // 32-bit wrap-around: b*b, -b, a+a, the extremes.
	    {"1\n65536\n0\n", outcome(1, 65536, 0)},
	    {"1\n-2147483648\n0\n", outcome(1, -2147483648LL, 0)},
	    {"1073741824\n1\n0\n", outcome(1073741824, 1, 0)},
	    {"2147483647 2147483647 2147483647", outcome(INT32_MAX, INT32_MAX, INT32_MAX)},
	    {"-2147483648 -2147483648 -2147483648", outcome(INT32_MIN, INT32_MIN, INT32_MIN)},
	    // Beyond an int: the low 32 bits of the value saturated as a long.
	    {"4294967297 99999999999999999999 -99999999999999999999", outcome(1, -1, 0)},
	    {"2147483648 -2147483649 0xFFFFFFFF", outcome(INT32_MIN, INT32_MAX, -1)},
	    {"9223372036854775807 -9223372036854775808 0x1000000003", outcome(-1, 0, 3)},
	    // Not a number, end of input: 0, and the entry stays unread.
	    {"1\n2\nx\n", outcome(1, 2, 0)},
	    {"x 1 2 3\n", outcome(0, 0, 0)},
	    {"2\n0x\n-2\n", outcome(2, 0, -2)},
	    {"1\n-\n-1\n", outcome(1, 0, -1)},
	    {"1\n-3", outcome(1, -3, 0)},
	    {"", outcome(0, 0, 0)},
	};
	for (const auto &k : cases) {
		SCOPED_TRACE("input: " + k.in);
		Result r = run(prog, dumb(k.in));
		EXPECT_EQ(r.out, dialog(k.out));
		EXPECT_EQ(r.err, "");
		EXPECT_EQ(r.status, 0);
	}
}

// Through pipes, where output is fully buffered: each prompt must be there
// before its entry is written. After 08 the 8 is b, taken without a wait.
TEST(Quadsolve, PromptArrivesBeforeItsRead)
{
	struct Step { char name; std::string entry; };
	const std::vector<Step> runs[] = {
	    {{'a', "1\n"}, {'b', "-3\n"}, {'c', "2\n"}},
	    {{'a', "08\n"}, {'c', "1\n"}},
	};
	const std::string outs[] = {outcome(1, -3, 2), outcome(0, 8, 1)};
	for (int i = 0; i < 2; i++) {
		Child ch = spawn(prog, dumb(""));
		std::string got;
		for (const Step &s : runs[i]) {
			ASSERT_TRUE(read_until(ch.out, prompt(s.name), got)) << got;
			ASSERT_EQ(write(ch.in, s.entry.data(), s.entry.size()),
			    (ssize_t)s.entry.size());
		}
		Result r = finish(ch);
		EXPECT_EQ(got + r.out, dialog(outs[i]));
		EXPECT_EQ(r.status, 0);
	}
}

TEST(Quadsolve, ClearRunsFirstAndItsFailureIsIgnored)
{
	char dir[] = "/tmp/quadsolve_test.XXXXXX";
	ASSERT_NE(mkdtemp(dir), nullptr);
	std::string clear = std::string(dir) + "/clear";
	std::ofstream(clear) << "#!/bin/sh\nprintf CLEARED\nexit 3\n";
	chmod(clear.c_str(), 0755);
	Result r = run(prog, dumb("1 -3 2\n", {"PATH=" + std::string(dir) + ":/usr/bin:/bin"}));
	unlink(clear.c_str());
	rmdir(dir);
	EXPECT_EQ(r.out, "CLEARED" + dialog(outcome(1, -3, 2)));
	EXPECT_EQ(r.status, 0);
}

TEST(Quadsolve, WriteErrorIsAFailure)
{
	Launch how = dumb("1 -3 2\n");
	how.argv = {"sh", "-c", "exec \"$0\" >/dev/full", prog};
	Result r = run("/bin/sh", how);
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("Fehler beim Schreiben"), std::string::npos) << r.err;
}
