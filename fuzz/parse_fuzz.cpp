// libFuzzer target for the code table reader. An input is a command name up
// to its first newline, then the code table. Every table must be read, and
// parsing must agree with a plain walk that copies each column into a
// buffer as large as the line and hands that to strtol.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "parser.h"

static char dir[] = "/tmp/parse_fuzz.XXXXXX";
static char base[sizeof dir + 2];
static char name[sizeof base + 5];

static void
cleanup(void)
{
	unlink(name);
	rmdir(dir);
}

extern "C" int
LLVMFuzzerInitialize(int *, char ***)
{
	if (mkdtemp(dir) == NULL) {
		perror("mkdtemp");
		exit(1);
	}
	snprintf(base, sizeof base, "%s/t", dir);
	snprintf(name, sizeof name, "%s.conf", base);
	atexit(cleanup);
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
	const uint8_t *nl = (const uint8_t *)memchr(data, '\n', size);
	size_t cmdlen = nl != NULL ? (size_t)(nl - data) : size;
	size_t skip = nl != NULL ? cmdlen + 1 : size;
	char *command = (char *)malloc(cmdlen + 1);
	memcpy(command, data, cmdlen);
	command[cmdlen] = '\0';
	char *text = (char *)malloc(size - skip + 1);
	memcpy(text, data + skip, size - skip);
	text[size - skip] = '\0';

	FILE *f = fopen(name, "w");
	if (f == NULL || fwrite(text, 1, size - skip, f) != size - skip ||
	    fclose(f) != 0) {
		perror(name);
		exit(1);
	}
	const char *args[] = {"irlookup", base, command, NULL};
	struct ir_code r;
	if (parse(&r, args) != &r)
		abort();

	// At every line start, a column in front of the first and a few past.
	for (const char *line = text;; line++) {
		for (int c = -1; c <= 4; c++)
			if (parsing(line, c) != walk(line, c)) {
				fprintf(stderr, "parsing differs in column %d\n", c);
				abort();
			}
		if ((line = strchr(line, '\n')) == NULL)
			break;
	}
	free(command);
	free(text);
	return 0;
}
