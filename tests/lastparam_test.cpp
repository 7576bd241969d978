#include "harness.h"

#include <gtest/gtest.h>

static const std::string prog = PROG_LASTPARAM;

TEST(Lastparam, CountAndLastArgument)
{
	std::string many_out = "Insgesamt 5000 Argumente\nLetztes Argument: a4999\n";
	std::vector<std::string> many;
	for (int i = 0; i < 5000; i++)
		many.push_back("a" + std::to_string(i));

	expect_cases(prog, {
	    {{"eins", "zwei", "drei vier"}, "",
		"Insgesamt 3 Argumente\nLetztes Argument: drei vier\n", "", 0},
	    {{"x"}, "", "Insgesamt 1 Argumente\nLetztes Argument: x\n", "", 0},
	    {{""}, "", "Insgesamt 1 Argumente\nLetztes Argument: \n", "", 0},
	    {{"a", "%s%d%n%%"}, "",
		"Insgesamt 2 Argumente\nLetztes Argument: %s%d%n%%\n", "", 0},
	    {{"-h", "--", "-"}, "", "Insgesamt 3 Argumente\nLetztes Argument: -\n", "", 0},
	    {many, "", many_out, "", 0},
	});
}

TEST(Lastparam, NoArgumentsShowsArgv0AsStarted)
{
	for (const std::string &argv0 : {prog, std::string("./lp"), std::string("")}) {
		Launch how;
		how.argv = {argv0};
		Result r = run(prog, how);
		EXPECT_EQ(r.out, "Insgesamt 0 Argumente\nLetztes Argument: " + argv0 + "\n");
		EXPECT_EQ(r.status, 0);
	}
}

TEST(Lastparam, WriteErrorIsAFailure)
{
	Launch how;
	how.argv = {"sh", "-c", "exec \"$0\" x >/dev/full", prog};
	Result r = run("/bin/sh", how);
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("Fehler beim Schreiben"), std::string::npos) << r.err;
}
