#include "table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

static char dir[] = "/tmp/parse_fuzz.XXXXXX";
static char base[sizeof dir + 2];
static char name[sizeof base + 5];

static void
cleanup(void)
{
	unlink(name);
	rmdir(dir);
}

void
table_init(void)
{
	if (mkdtemp(dir) == NULL) {
		perror("mkdtemp");
		exit(1);
	}
	snprintf(base, sizeof base, "%s/t", dir);
	snprintf(name, sizeof name, "%s.conf", base);
	atexit(cleanup);
}

struct fuzz_input
table_write(const uint8_t *data, size_t size)
{
	const uint8_t *nl = (const uint8_t *)memchr(data, '\n', size);
	size_t cmdlen = nl != NULL ? (size_t)(nl - data) : size;
	size_t skip = nl != NULL ? cmdlen + 1 : size;
	struct fuzz_input in;
	in.command = (char *)malloc(cmdlen + 1);
	memcpy(in.command, data, cmdlen);
	in.command[cmdlen] = '\0';
	in.len = size - skip;
	in.text = (char *)malloc(in.len + 1);
	memcpy(in.text, data + skip, in.len);
	in.text[in.len] = '\0';
	in.base = base;

	FILE *f = fopen(name, "w");
	if (f == NULL || fwrite(in.text, 1, in.len, f) != in.len ||
	    fclose(f) != 0) {
		perror(name);
		exit(1);
	}
	return in;
}

void
table_free(struct fuzz_input *in)
{
	free(in->command);
	free(in->text);
}
