/* Reference: the library calls of `irlookup table KEY` on a short table, in
 * plain C: the file read whole with read(2), then each line searched with
 * strstr for the five keys, the columns converted with strtol. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char buf[64 * 1024];

static int
column(const char *s, int col)
{
	for (int tabs = 0; tabs < col; tabs++) {
		s += strcspn(s, "\t\n");
		if (*s != '\t')
			return 0;
		s++;
	}
	return (int)strtol(s, NULL, 0);
}

int
main(int argc, char *argv[])
{
	static const int cols[5] = { 2, 2, 3, 3, 3 };
	const char *kept[5] = { "", "", "", "", "" };
	ssize_t got;
	size_t n = 0;
	int fd;

	if (argc < 3)
		return 1;
	const char *keys[5] = { "sb_pulse", "sb_space", "adress", argv[2], "stop" };
	size_t len = strlen(argv[1]);
	char *name = malloc(len + sizeof ".conf");
	int *v = malloc(5 * sizeof *v);
	if (name == NULL || v == NULL)
		return 1;
	memcpy(name, argv[1], len);
	memcpy(name + len, ".conf", sizeof ".conf");
	if ((fd = open(name, O_RDONLY)) == -1)
		return 1;
	free(name);
	while ((got = read(fd, buf + n, sizeof buf - 1 - n)) > 0)
		n += (size_t)got;
	close(fd);
	for (char *line = buf, *end; line < buf + n; line = end + 1) {
		end = memchr(line, '\n', (size_t)(buf + n - line));
		if (end == NULL)
			end = buf + n;
		*end = '\0';
		for (int k = 0; k < 5; k++)
			if (strstr(line, keys[k]) != NULL)
				kept[k] = line;
	}
	for (int k = 0; k < 5; k++)
		v[k] = column(kept[k], cols[k]);
	printf("\nsb_pulse = %i", v[0]);
	printf("\nsb_space = %i", v[1]);
	printf("\nadress = %i", v[2]);
	printf("\ncommand = %i", v[3]);
	printf("\nstop = %i\n", v[4]);
	return fflush(stdout) != 0 || ferror(stdout);
}
