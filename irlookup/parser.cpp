// The code table reader of irlookup.
#include "parser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// fgets reads at most 255 characters at a time; a longer line comes in
// pieces, each of which counts as a line of its own. Every buffer holds a
// whole piece, so no line is ever cut.
static constexpr int line_max = 256;
static constexpr int nkeys = 5;

static struct ir_code *cannot_open(const char *);

struct ir_code *
parse(struct ir_code *record, const char *const args[])
{
	// In record order; the kept line of a key is the last that holds it.
	const char *const keys[nkeys] = {
	    "sb_pulse", "sb_space", "adress", args[2], "stop" };
	char line[line_max] = {};
	char kept[nkeys][line_max] = {};

	size_t len = strlen(args[1]);
	char *name = (char *)malloc(len + sizeof ".conf");
	if (name == NULL)
		return cannot_open(args[1]);
	memcpy(name, args[1], len);
	memcpy(name + len, ".conf", sizeof ".conf");
	FILE *f = fopen(name, "r");
	free(name);
	if (f == NULL)
		return cannot_open(args[1]);

	while (fgets(line, sizeof line, f) != NULL)
		for (int k = 0; k < nkeys; k++)
			if (strstr(line, keys[k]) != NULL)
				strcpy(kept[k], line);
	// A name that opens but cannot be read (a directory) has no codes
	// either; five zeros would pass for a table without its keys.
	bool failed = ferror(f);
	fclose(f);
	if (failed)
		return cannot_open(args[1]);

	record->sb_pulse = parsing(kept[0], 2);
	record->sb_space = parsing(kept[1], 2);
	record->adress = parsing(kept[2], 3);
	record->command = parsing(kept[3], 3);
	record->stop = parsing(kept[4], 3);
	return record;
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
