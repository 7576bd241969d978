/* Reference: the library calls of `lastparam a b`, in plain C. */
#include <stdio.h>

int
main(int argc, char *argv[])
{
	printf("Insgesamt %d Argumente\n", argc - 1);
	printf("Letztes Argument: %s\n", argv[argc - 1]);
	return fflush(stdout) != 0 || ferror(stdout);
}
