// libFuzzer target for the code table reader. Every table must be read,
// and parsing must agree with a plain walk that copies each column into a
// buffer as large as the line and hands that to strtol.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parser.h"
#include "table.h"

extern "C" int
LLVMFuzzerInitialize(int *, char ***)
{
	table_init();
	return 0;
}

static int32_t
walk(const char *data, int column)
{
	char *field = (char *)calloc(strlen(data) + 1, 1);
	size_t n = 0;
	int tabs = 0;
	for (const char *p = data; *p != '\0' && *p != '\n'; p++) {
		if (*p == '\t')
			tabs++;
		if (tabs == column)
			field[n++] = *p;
	}
	long v = strtol(field, NULL, 0);
	free(field);
	return (int32_t)(uint32_t)v;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	struct fuzz_input in = table_write(data, size);
	const char *args[] = {"irlookup", in.base, in.command, NULL};
	struct ir_code r;
	if (parse(&r, args) != &r)
		abort();

	// At every line start, a column in front of the first and a few past.
	for (const char *line = in.text;; line++) {
		for (int c = -1; c <= 4; c++)
			if (parsing(line, c) != walk(line, c)) {
				fprintf(stderr, "parsing differs in column %d\n", c);
				abort();
			}
		if ((line = strchr(line, '\n')) == NULL)
			break;
	}
	table_free(&in);
	return 0;
}
