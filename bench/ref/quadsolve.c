/* Reference: the library calls of `quadsolve` on one equation, in plain C:
 * the numbers are read with getchar, as the program reads them. */
#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

static int
number(void)
{
	int ch, neg, v = 0;

	while ((ch = getchar()) != EOF && isspace(ch))
		;
	if ((neg = ch == '-') || ch == '+')
		ch = getchar();
	for (; isdigit(ch); ch = getchar())
		v = v * 10 + ch - '0';
	ungetc(ch, stdin);
	return neg ? -v : v;
}

int
main(void)
{
	int a, b, c;

	(void)system("clear");
	puts("Programm zur Loesung einer quadratischen Gleichung");
	puts("\nAllgemein: ax^2+bx+c");
	printf("\nBitte eine Zahl fuer %s eingeben: ", "a");
	fflush(stdout);
	a = number();
	printf("\nBitte eine Zahl fuer %s eingeben: ", "b");
	fflush(stdout);
	b = number();
	printf("\nBitte eine Zahl fuer %s eingeben: ", "c");
	fflush(stdout);
	c = number();
	int d = b * b - 4 * a * c;
	double root = sqrt(d);
	float x1 = (float)((root - b) / (a + a));
	float x2 = (float)((-b - root) / (a + a));
	if (d == 0)
		printf("\nx1 = x2 = %.100f\n", x1);
	else if (d < 0)
		puts("\nLeere Menge");
	else
		printf("\nx1 = %.100f\nx2 = %.100f\n", x1, x2);
	return fflush(stdout) != 0 || ferror(stdout);
}
