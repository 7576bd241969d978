#include "harness.h"
#include "parser.h"
#include "reference_parse.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <gtest/gtest.h>

static const std::string prog = PROG_IRLOOKUP;
static const std::string sample = "sb_pulse\t\t600\nsb_space\t\t300\n"
    "adress\t\t\t0x00\nKEY_OK\t\t\t0x1C\nstop\t\t\t1\n";

// A directory of this process's own, with a blank in its name.
static char tmp[] = "/tmp/irlookup test XXXXXX";

static std::string
dir()
{
	static bool made = [] {
		if (mkdtemp(tmp) == nullptr)
			abort();
		atexit([] { std::filesystem::remove_all(tmp); });
		return true;
	}();
	return made ? tmp : "";
}

// Writes <dir>/<name>.conf and returns the base name to look it up by.
static std::string
table(const std::string &name, const std::string &text)
{
	std::string base = dir() + "/" + name;
	std::ofstream(base + ".conf", std::ios::binary) << text;
	return base;
}

static std::string
values(int pulse, int space, int adress, int command, int stop)
{
	return "\nsb_pulse = " + std::to_string(pulse) + "\nsb_space = " +
	    std::to_string(space) + "\nadress = " + std::to_string(adress) +
	    "\ncommand = " + std::to_string(command) + "\nstop = " +
	    std::to_string(stop) + "\n";
}

TEST(Irlookup, Lookups)
{
	std::string t = table("sample", sample);
	std::string more = table("more", sample + "KEY_1\t\t\t5\nKEY_10\t\t\t10\n"
	    "KEY_OK stop\t\t\t0x2A\nsb_pulse\t\t-9000\nadress\t\t\t0xFFFFFFFF\n");
	// The second piece of a long line is a line of its own: as a whole
	// line, its column 3 would be empty.
	std::string piece = table("piece", "A\t" + std::string(253, 'x') +
	    "stop\t\t\t9\n");
	std::string none = table("none", "nichts\t\t\t7\n");
	std::string usage = "Aufruf: irlookup <Codetabelle ohne .conf> <Befehl>\n";
	std::string fail = "\nKonnte Datei " + dir() + "/nope.conf nicht \xc3\xb6" "ffnen!\n";
	std::filesystem::create_directory(dir() + "/folder.conf");

	expect_cases(prog, {
	    {{t, "KEY_OK"}, "", values(600, 300, 0, 28, 1), "", 0},
	    {{t, "KEY_OK", "extra", "args"}, "", values(600, 300, 0, 28, 1), "", 0},
	    {{t, "KEY_MISSING"}, "", values(600, 300, 0, 0, 1), "", 0},
	    {{t, ""}, "", values(600, 300, 0, 1, 1), "", 0},
	    {{more, "KEY_1"}, "", values(-9000, 300, -1, 10, 42), "", 0},
	    {{more, "KEY_OK"}, "", values(-9000, 300, -1, 42, 42), "", 0},
	    {{piece, "A"}, "", values(0, 0, 0, 0, 9), "", 0},
	    {{none, "KEY_OK"}, "", values(0, 0, 0, 0, 0), "", 0},
	    {{dir() + "/nope", "KEY_OK"}, "", fail, "", 1},
	    {{dir() + "/folder", "KEY_OK"}, "",
		"\nKonnte Datei " + dir() + "/folder.conf nicht \xc3\xb6" "ffnen!\n", "", 1},
	    {{}, "", usage, "", 1},
	    {{t}, "", usage, "", 1},
	});
}

TEST(Irlookup, WriteErrorIsAFailure)
{
	Launch how;
	how.argv = {"sh", "-c", "exec \"$0\" \"$1\" KEY_OK >/dev/full", prog,
	    table("full", sample)};
	Result r = run("/bin/sh", how);
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("Fehler beim Schreiben"), std::string::npos) << r.err;
}

TEST(Parser, Parsing)
{
	struct {
		std::string data;
		int column;
		int32_t want;
	} cases[] = {
	    {"sb_pulse\t\t600\n", 2, 600},
	    {"sb_pulse\t600\n", 2, 0},		// no column 2
	    {"17\tx", 0, 17},
	    {"x\t 5\t6", 1, 5},
	    {"x\t\t5", -1, 0},
	    {"a\t\t0x1F", 2, 31}, {"a\t\t0X1f", 2, 31}, {"a\t\t017", 2, 15},
	    {"a\t\t08", 2, 0}, {"a\t\t09\n", 2, 0}, {"a\t\t0x", 2, 0},
	    {"a\t\t-12", 2, -12}, {"a\t\t+12", 2, 12}, {"a\t\t-0x10", 2, -16},
	    {"a\t\t- 12", 2, 0}, {"a\t\t-\t12", 2, 0},
	    {"a\t\t \v\f\r42 x", 2, 42}, {"a\t\t600\r\n", 2, 600},
	    {"a\t\tzz\t5", 2, 0},
	    // Blank and empty columns, and lines that end before the column:
	    // the number of the next column or line must not leak in.
	    {"a\t\t \t7\n", 2, 0}, {"a\t\t\t7", 2, 0}, {"a\t\t \n5", 2, 0},
	    {"a\t1\n\t5", 2, 0}, {"a\t\t", 2, 0}, {"", 0, 0},
	    // The low 32 bits, of the saturated value beyond a long.
	    {"a\t\t0xFFFFFFFF", 2, -1}, {"a\t\t0x100000005", 2, 5},
	    {"a\t\t2147483648", 2, INT32_MIN}, {"a\t\t-2147483649", 2, INT32_MAX},
	    {"a\t\t99999999999999999999", 2, -1}, {"a\t\t-99999999999999999999", 2, 0},
	    // Long columns are never cut.
	    {"KEY_OK\t\t\t0x00FF38C7\t# OK", 3, 0x00FF38C7},
	    {"a\t\t" + std::string(300, '0') + "42", 2, 042},
	    {"a\t\t" + std::string(300, ' ') + "42", 2, 42},
	};
	for (const auto &c : cases)
		EXPECT_EQ(parsing(c.data.c_str(), c.column), c.want)
		    << "[" << c.data << "] column " << c.column;
}

TEST(Parser, PiecesAndBytes)
{
	// "stop\t\t\t9", padded with blanks to n characters, and a newline.
	auto line = [](size_t n) {
		std::string s = "stop\t\t\t9";
		return s + std::string(n - s.size(), ' ') + "\n";
	};
	struct {
		std::string text, command;
		ir_code want;
	} cases[] = {
	    {sample, "KEY_OK", {600, 300, 0, 28, 1}},
	    // With an empty name the last piece is the command's line: a
	    // newline of its own once the line exceeds 254 characters.
	    {line(254), "", {0, 0, 0, 9, 9}},
	    {line(255), "", {0, 0, 0, 0, 9}},
	    {line(256), "", {0, 0, 0, 0, 9}},
	    {line(257) + "sb_space\t\t3", "", {0, 3, 0, 0, 9}},
	    // A key split across two pieces is in neither.
	    {"\t\t\t7" + std::string(248, 'x') + "stop\n", "KEY", {0, 0, 0, 0, 0}},
	    {"\t\t\t7" + std::string(247, 'x') + "stop\n", "KEY", {0, 0, 0, 0, 7}},
	    // Text after a NUL byte is neither searched nor kept.
	    {std::string("stop\t\t\t5\0 KEY_OK\t\t\t6\n", 21), "KEY_OK", {0, 0, 0, 0, 5}},
	    {std::string("KEY_OK\t\t\0\t6\n", 12), "KEY_OK", {0, 0, 0, 0, 0}},
	    {std::string("stop\t\t\t1\n\0stop\t\t\t2\n", 20), "", {0, 0, 0, 0, 1}},
	    {"KEY_OK\t\t\t0x1C\r\nstop\t\t\t3", "KEY_OK", {0, 0, 0, 28, 3}},
	    {"stop\t\t\t1\nstop\t\t\t2\n", "x", {0, 0, 0, 0, 2}},
	};
	for (const auto &c : cases) {
		const char *args[] = {"irlookup", nullptr, c.command.c_str(), nullptr};
		std::string base = table("unit", c.text);
		args[1] = base.c_str();
		ir_code r;
		ASSERT_EQ(parse(&r, args), &r);
		EXPECT_EQ(r.sb_pulse, c.want.sb_pulse);
		EXPECT_EQ(r.sb_space, c.want.sb_space);
		EXPECT_EQ(r.adress, c.want.adress);
		EXPECT_EQ(r.command, c.want.command) << c.text;
		EXPECT_EQ(r.stop, c.want.stop) << c.text;
	}

	// Failures leave the record as it was.
	std::filesystem::create_directory(dir() + "/dir.conf");
	for (std::string base : {dir() + "/missing", dir() + "/dir"}) {
		const char *args[] = {"irlookup", base.c_str(), "KEY_OK", nullptr};
		ir_code r = {1, 2, 3, 4, 5};
		testing::internal::CaptureStdout();
		EXPECT_EQ(parse(&r, args), nullptr);
		EXPECT_EQ(testing::internal::GetCapturedStdout(),
		    "\nKonnte Datei " + base + ".conf nicht \xc3\xb6" "ffnen!\n");
		EXPECT_EQ(r.command, 4);
	}
}

// The block reader against the line-by-line one, for these names and
// whatever table: one name ends in a newline, one has one inside, one is
// longer than any piece.
static void
expect_same(const std::string &text, const std::string &what,
    std::vector<std::string> commands = {})
{
	for (std::string c : {"KEY_12", "", "K", "KEY_1\n", "9\n", "KEY_1\na",
	    "\t\t"})
		commands.push_back(c);
	commands.push_back(std::string(256, 'a'));
	std::string base = table("same", text);
	std::string path = base + ".conf";
	for (const std::string &command : commands) {
		const char *args[] = {"irlookup", base.c_str(), command.c_str(), nullptr};
		ir_code got, want;
		ASSERT_EQ(parse(&got, args), &got);
		ASSERT_TRUE(reference_parse(&want, path.c_str(), command.c_str()));
		EXPECT_TRUE(got.sb_pulse == want.sb_pulse &&
		    got.sb_space == want.sb_space && got.adress == want.adress &&
		    got.command == want.command && got.stop == want.stop)
		    << what << ", command [" << command << "]: got " << got.command
		    << " " << got.stop << ", want " << want.command << " " << want.stop;
	}
}

TEST(Parser, AgreesWithLineReader)
{
	// Lines of any length around the piece size, with keys anywhere in
	// them, NUL bytes and long stretches without a newline, over several
	// blocks of the reader. Every line has numbers of its own, and each
	// name k<n>_ its own stretch of the table, where it is last seen.
	std::mt19937 rnd(7);
	const char *const keys[] = {"sb_pulse", "sb_space", "adress", "stop",
	    "KEY_1", "KEY_12", "K", "a"};
	std::vector<std::string> names;
	for (int i = 0; i < 40; i++)
		names.push_back("k" + std::to_string(i) + "_");
	std::string big;
	for (int i = 0; big.size() < 400000; i++) {
		if (rnd() % 60 == 0)
			big += '\0';
		size_t pad = rnd() % 4 == 0 ? 240 + rnd() % 280 : rnd() % 16;
		big += std::string(pad, "aEY_1K\t"[rnd() % 7]);
		big += (rnd() % 2 ? keys[rnd() % 8] : names[i / 100 % 40]) +
		    "\t" + std::to_string(i) +
		    "\t\t" + std::to_string(i);
		if (rnd() % 50 == 0)
			big += '\0';
		big += rnd() % 9 == 0 ? "KEY_1\n" : rnd() % 9 == 0 ? "9" : "\n";
	}
	expect_same(big, "generated table", names);
	expect_same(big.substr(0, big.size() - 1), "no final newline", names);

	// A key near where the first block ends, in a line that crosses
	// there with 254, 256 or 260 bytes: the piece left over at the end
	// is unfinished, complete, or unfinished after a complete one.
	for (size_t before : {254, 256, 260})
		for (size_t at = 250; at <= 258; at++) {
			std::string text;
			while (text.size() + 100 < 65536 - before)
				text += std::string(99, 'x') + "\n";
			text += std::string(65536 - before - text.size() - 1, 'x') + "\n";
			text += std::string(at, 'y') + "stop\t\t\t7\n";
			expect_same(text, "stop at " + std::to_string(at) +
			    " in a line that crosses the block end at " +
			    std::to_string(before));
		}

	// The seeds of the fuzz targets: a command name, a newline, a table.
	for (const auto &seed : std::filesystem::directory_iterator(FUZZ_CORPUS)) {
		std::ifstream in(seed.path(), std::ios::binary);
		std::string text((std::istreambuf_iterator<char>(in)), {});
		size_t nl = text.find('\n');
		expect_same(text.substr(nl + 1), seed.path(), {text.substr(0, nl)});
	}
}
