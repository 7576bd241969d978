// Drives the bash completion functions as bash would on a Tab, and checks
// what they offer.
#include "harness.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

static const std::string dir = COMPLETION_DIR;

// Completes the last of `words` with the given script loaded and returns
// the offers, one per line, sorted.
static std::string
complete(const std::string &script, const std::vector<std::string> &words,
    const std::string &setup = "")
{
	std::string quoted;
	for (const std::string &w : words)
		quoted += " '" + w + "'";
	std::string cmd = setup + "\n. '" + dir + "/" + script + "'\n" +
	    "COMP_WORDS=(" + quoted + "); COMP_CWORD=" +
	    std::to_string(words.size() - 1) +
	    "\nCOMP_LINE=\"${COMP_WORDS[*]}\"; COMP_POINT=${#COMP_LINE}\n_" + script +
	    "\n[ ${#COMPREPLY[@]} -gt 0 ] && printf '%s\\n' \"${COMPREPLY[@]}\" | sort";
	Launch how;
	how.argv = {"bash", "--norc", "-c", cmd};
	Result r = run("/bin/bash", how);
	EXPECT_EQ(r.err, "") << cmd;
	return r.out;
}

TEST(Completion, SchedsetOptionsAndCommands)
{
	struct {
		std::vector<std::string> words;
		std::string offers;
	} cases[] = {
	    {{"schedset", "--v"}, "--verbose\n--version\n"},
	    {{"schedset", "-v", "--r"}, "--rr\n"},
	    {{"schedset", "--"}, "--fifo\n--help\n--max\n--other\n--pid\n--rr\n"
		"--verbose\n--version\n"},
	    {{"schedset", "50", "-"}, ""},	// options end at the priority
	    {{"schedset", "-f", "50", "lastpara"}, "lastparam\n"},
	    {{"schedset", "50", "true", "--"}, ""},
	};
	for (auto &c : cases)
		EXPECT_EQ(complete("schedset", c.words,
		    "PATH=" + std::string(PROGRAM_DIR) + ":/usr/bin:/bin"), c.offers);
}

TEST(Completion, SchedsetOffersPidsAfterP)
{
	std::string me = std::to_string(getpid());
	for (auto words : std::vector<std::vector<std::string>>{
		 {"schedset", "-p", me}, {"schedset", "-vp", "50", me},
		 {"schedset", "--pi", "50", "x", me}}) {
		std::string offers = complete("schedset", words);
		EXPECT_NE(("\n" + offers).find("\n" + me + "\n"), std::string::npos)
		    << offers;
		EXPECT_EQ(offers.find_first_not_of("0123456789\n"), std::string::npos);
	}
	// Without -p the same word is a priority: nothing to offer.
	EXPECT_EQ(complete("schedset", {"schedset", "-v", me}), "");
}

TEST(Completion, SchedsetHandsTheCommandItsOwnCompletion)
{
	const char *lib = "/usr/share/bash-completion/bash_completion";
	if (access(lib, R_OK) != 0)
		GTEST_SKIP() << "bash-completion is not installed";
	std::string setup = std::string(". ") + lib +
	    "\ncomplete -W 'alpha beta gamma' mytool";
	EXPECT_EQ(complete("schedset", {"schedset", "-f", "50", "mytool", ""},
	    setup), "alpha\nbeta\ngamma\n");
	EXPECT_EQ(complete("schedset", {"schedset", "50", "mytool", "-x", "b"},
	    setup), "beta\n");
}

TEST(Completion, IrlookupTablesAndCommands)
{
	char tmpl[] = "/tmp/irlookup-completion-XXXXXX";
	std::string d = mkdtemp(tmpl);
	std::ofstream(d + "/tv remote.conf")
	    << "sb_pulse\t\t600\nsb_space\t\t300\nadress\t\t\t0x00\n"
	       "# volume keys\nKEY_VOLUMEUP\t\t\t0x10\r\nKEY_VOLUMEDOWN\t\t\t0x11\n"
	       "KEY_$(touch " + d + "/owned)\t\t\t1\nKEY_OK\t\t\t0x1C\nstop\t\t\t1\n";
	std::ofstream(d + "/notes.txt") << "KEY_X\n";
	mkdir((d + "/sub").c_str(), 0755);

	EXPECT_EQ(complete("irlookup", {"irlookup", d + "/"}),
	    d + "/sub\n" + d + "/tv remote\n");
	EXPECT_EQ(complete("irlookup", {"irlookup", d + "/tv remote", "KEY_V"}),
	    "KEY_VOLUMEDOWN\nKEY_VOLUMEUP\n");
	EXPECT_EQ(complete("irlookup", {"irlookup", d + "/tv remote", ""}),
	    "KEY_$(touch " + d + "/owned)\nKEY_OK\nKEY_VOLUMEDOWN\nKEY_VOLUMEUP\n");
	EXPECT_EQ(complete("irlookup", {"irlookup", d + "/missing", ""}), "");
	EXPECT_NE(access((d + "/owned").c_str(), F_OK), 0) << "file text was run";
	EXPECT_EQ(system(("rm -rf '" + d + "'").c_str()), 0);
}
