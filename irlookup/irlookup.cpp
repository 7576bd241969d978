// irlookup: print the codes of one command from a remote control's code
// table <base>.conf.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parser.h"

// The run's one record; it lives until the process ends.
struct ir_code *ircode;

[[noreturn]] static void usage(void);

int
main(int argc, char *argv[])
{
	if (argc < 3)
		usage();

	ircode = (struct ir_code *)malloc(sizeof *ircode);
	if (ircode == NULL) {
		printf("\nKein Speicher frei!\n");
		return 1;
	}
	// parse has said why it failed; keep the record reachable anyway.
	struct ir_code *filled = parse(ircode, argv);
	if (filled == NULL)
		return 1;
	ircode = filled;

	printf("\nsb_pulse = %i", ircode->sb_pulse);
	printf("\nsb_space = %i", ircode->sb_space);
	printf("\nadress = %i", ircode->adress);
	printf("\ncommand = %i", ircode->command);
	printf("\nstop = %i\n", ircode->stop);

	// Codes that never reached their reader are no success.
	if (fflush(stdout) == EOF || ferror(stdout)) {
		fprintf(stderr, "%s: Fehler beim Schreiben: %s\n", argv[0],
		    strerror(errno));
		return 1;
	}
	return 0;
}

static void
usage(void)
{
	printf("Aufruf: irlookup <Codetabelle ohne .conf> <Befehl>\n");
	exit(1);
}
