// lastparam: report the number of arguments and the last of them.
#include <cerrno>
#include <cstdio>
#include <cstring>

int
main(int argc, char *argv[])
{
	// A start through execve with an empty vector has neither a count
	// to show nor a last argument to read.
	if (argc < 1)
		return 1;

	printf("Insgesamt %d Argumente\n", argc - 1);
	printf("Letztes Argument: %s\n", argv[argc - 1]);

	// A report that never reached its reader is no success.
	if (fflush(stdout) == EOF || ferror(stdout)) {
		fprintf(stderr, "%s: Fehler beim Schreiben: %s\n", argv[0],
		    strerror(errno));
		return 1;
	}
	return 0;
}
