// The code table reader of irlookup.
//
// A table is read as fgets with a 256-byte buffer would read it: in pieces
// that end after a newline, after 255 bytes, or at the end of the file. A
// key belongs to a piece when it lies whole within the piece's text, which
// ends at the first NUL byte, and each key keeps the text of the last piece
// it belongs to. Tables can be large, so the file is read in big blocks and
// searched as a whole for the ends of the keys, not piece by piece.
#include "parser.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
// The search compares 16 bytes at once with SSE2 where the machine has it
// (the fuzz build also tries the plain loop, with PARSER_SCALAR).
#if defined(__SSE2__) && !defined(PARSER_SCALAR)
#define SEARCH_SSE2
#include <emmintrin.h>
#endif

static constexpr size_t piece_max = 255;
static constexpr int nkeys = 5;
// The fuzz build shrinks the block, so that small inputs span many.
#ifndef PARSER_BLOCK
#define PARSER_BLOCK (64 * 1024)
#endif
static constexpr size_t block_size = PARSER_BLOCK;
static_assert(block_size > piece_max, "a block holds an unfinished piece and more");

// The search looks at 16 bytes at a time, together with the byte in front
// of them; the margins keep those loads inside the array.
static char space[16 + block_size + 16];

struct key {
	const char *text;
	size_t len;
	bool live;	// can be in a piece: not empty, no inner newline
	long found;	// where the last piece that holds it starts, or -1
};

// How far back the last newline and the last NUL byte lie, for positions
// that only grow while a block is searched.
struct cursor {
	size_t at;	// the bytes in front of it have been looked at
	size_t line;	// just past the last newline in front of at
	size_t text;	// just past the last NUL in front of at
};

static size_t scan(const char *, size_t, struct key *, char (*)[piece_max + 1]);
static unsigned ends(const char *, const struct key *, unsigned *);
static void match(const char *, struct cursor *, struct key *, size_t);
static void advance(const char *, struct cursor *, size_t);
static void keep(char *, const char *, size_t);
static struct ir_code *cannot_open(const char *);

struct ir_code *
parse(struct ir_code *record, const char *const args[])
{
	// In record order; the kept text of a key is that of its last piece.
	struct key keys[nkeys] = {
	    { "sb_pulse", 0, false, -1 }, { "sb_space", 0, false, -1 },
	    { "adress", 0, false, -1 }, { args[2], 0, false, -1 },
	    { "stop", 0, false, -1 } };
	char kept[nkeys][piece_max + 1] = {};

	for (struct key &k : keys) {
		k.len = strlen(k.text);
		const char *nl = (const char *)memchr(k.text, '\n', k.len);
		// Empty, it belongs to every piece: that is settled per block.
		k.live = k.len > 0 && (nl == NULL || nl == k.text + k.len - 1);
	}

	size_t len = strlen(args[1]);
	char *name = (char *)malloc(len + sizeof ".conf");
	if (name == NULL)
		return cannot_open(args[1]);
	memcpy(name, args[1], len);
	memcpy(name + len, ".conf", sizeof ".conf");
	int fd = open(name, O_RDONLY);
	free(name);
	if (fd == -1)
		return cannot_open(args[1]);

	// Every block starts at a piece boundary: an unfinished piece at the
	// end of one is moved to the front and searched again with the rest.
	char *buf = space + 16;
	bool failed = false;
	for (size_t have = 0;;) {
		ssize_t got = read(fd, buf + have, block_size - have);
		if (got == -1 && errno == EINTR)
			continue;
		// A name that opens but cannot be read (a directory) has no
		// codes either; five zeros would pass for a table without keys.
		if (got == -1) {
			failed = true;
			break;
		}
		size_t n = have + (size_t)got;
		if (n > 0)
			have = scan(buf, n, keys, kept);
		if (got == 0)
			break;
		memmove(buf, buf + n - have, have);
	}
	close(fd);
	if (failed)
		return cannot_open(args[1]);

	record->sb_pulse = parsing(kept[0], 2);
	record->sb_space = parsing(kept[1], 2);
	record->adress = parsing(kept[2], 3);
	record->command = parsing(kept[3], 3);
	record->stop = parsing(kept[4], 3);
	return record;
}

// Searches the n bytes of buf and keeps the text of each key's last piece
// in them. Returns the length of the last piece if it may go on in the next
// block, which then begins with it: it is searched, and kept, once more.
static size_t
scan(const char *buf, size_t n, struct key *keys, char (*kept)[piece_max + 1])
{
	struct cursor c = { 0, 0, 0 };

	for (int k = 0; k < nkeys; k++)
		keys[k].found = -1;
	for (size_t j = 0; j < n; j += 16) {
		unsigned at[nkeys];
		unsigned any = ends(buf + j, keys, at);
		if (n - j < 16)
			any &= (1u << (n - j)) - 1;
		for (; any != 0; any &= any - 1) {
			int bit = __builtin_ctz(any);
			for (int k = 0; k < nkeys; k++)
				if (at[k] >> bit & 1)
					match(buf, &c, &keys[k], j + bit);
		}
	}

	advance(buf, &c, n - 1);
	size_t last = c.line + (n - 1 - c.line) / piece_max * piece_max;
	for (int k = 0; k < nkeys; k++) {
		// The empty name is in every piece, so in the last.
		if (keys[k].len == 0)
			keys[k].found = (long)last;
		if (keys[k].found >= 0)
			keep(kept[k], buf + keys[k].found, n - keys[k].found);
	}
	return buf[n - 1] != '\n' && n - last < piece_max ? n - last : 0;
}

// Marks in at[k], bit i, where p[i] can be the last byte of key k: it is,
// and so is p[i - 1] the one before it. Returns all the marks together.
static unsigned
ends(const char *p, const struct key *keys, unsigned *at)
{
	unsigned any = 0;
#ifdef SEARCH_SSE2
	__m128i here = _mm_loadu_si128((const __m128i *)p);
	__m128i before = _mm_loadu_si128((const __m128i *)(p - 1));
#endif
	for (int k = 0; k < nkeys; k++) {
		at[k] = 0;
		if (!keys[k].live)
			continue;
		char lastc = keys[k].text[keys[k].len - 1];
		// A key of one byte has no byte before its last to compare.
		char prev = keys[k].len > 1 ? keys[k].text[keys[k].len - 2] : 0;
#ifdef SEARCH_SSE2
		__m128i m = _mm_cmpeq_epi8(here, _mm_set1_epi8(lastc));
		if (keys[k].len > 1)
			m = _mm_and_si128(m,
			    _mm_cmpeq_epi8(before, _mm_set1_epi8(prev)));
		at[k] = (unsigned)_mm_movemask_epi8(m);
#else
		for (int i = 0; i < 16; i++)
			if (p[i] == lastc && (keys[k].len == 1 || p[i - 1] == prev))
				at[k] |= 1u << i;
#endif
		any |= at[k];
	}
	return any;
}

// Whether the key, ending at e, lies whole within the text of one piece;
// then that piece is the last one known to hold it.
static void
match(const char *buf, struct cursor *c, struct key *k, size_t e)
{
	// One that began in front of the block began in an earlier piece.
	if (e + 1 < k->len)
		return;
	size_t s = e + 1 - k->len;
	if (memcmp(buf + s, k->text, k->len) != 0)
		return;
	// No newline or NUL comes before the key's last byte, so those in
	// front of e are those in front of s. The pieces of a line start
	// every 255 bytes from its start, or from the block's, which is one.
	advance(buf, c, e);
	size_t piece = c->line + (s - c->line) / piece_max * piece_max;
	if (e < piece + piece_max && c->text <= piece)
		k->found = (long)piece;
}

// Moves the cursor on to `to`; each byte is looked at once per block.
static void
advance(const char *buf, struct cursor *c, size_t to)
{
	if (to <= c->at)
		return;
	const char *p = (const char *)memrchr(buf + c->at, '\n', to - c->at);
	if (p != NULL)
		c->line = (size_t)(p + 1 - buf);
	p = (const char *)memrchr(buf + c->at, '\0', to - c->at);
	if (p != NULL)
		c->text = (size_t)(p + 1 - buf);
	c->at = to;
}

// Copies the piece at p, of which room bytes are in the block. Its text
// ends at a NUL byte, if it has one, and so does the reading of its columns.
static void
keep(char *dst, const char *p, size_t room)
{
	size_t len = room < piece_max ? room : piece_max;
	const char *nl = (const char *)memchr(p, '\n', len);
	if (nl != NULL)
		len = (size_t)(nl + 1 - p);
	memcpy(dst, p, len);
	dst[len] = '\0';
}

int32_t
parsing(const char *data, int column)
{
	if (column < 0)
		return 0;
	const char *p = data;
	for (int tabs = 0; tabs < column; tabs++) {
		p += strcspn(p, "\t\n");
		if (*p != '\t')
			return 0;	// the line ends before the column
		p++;
	}
	// Converting in place needs no copy of the column, however long. Once
	// past the blanks, strtol stops at the tab, newline or NUL that ends
	// the column at the latest; a blank column it would skip on into the
	// next one, so that is 0 here.
	p += strspn(p, " \f\r\v");
	if (*p == '\t' || *p == '\n' || *p == '\0')
		return 0;
	// Low 32 bits: the cast to unsigned wraps by definition, the one back
	// is modular in GCC and Clang (and in C++20).
	return (int32_t)(uint32_t)strtol(p, NULL, 0);
}

static struct ir_code *
cannot_open(const char *base)
{
	printf("\nKonnte Datei %s.conf nicht öffnen!\n", base);
	return NULL;
}
