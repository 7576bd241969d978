// quadsolve: ask for the integer coefficients of ax^2+bx+c = 0 and print
// its real solutions with 100 decimal places, or that there is none.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

// A zero divisor (a = 0) must yield an infinity or a not-a-number.
static_assert(std::numeric_limits<double>::is_iec559, "needs IEEE 754 doubles");

static int32_t	read_coefficient(const char *);
static int32_t	read_number(void);
static int	digit_value(int, int);
static int32_t	to_int32(uint32_t);

int
main()
{
	// Clearing the screen is cosmetic: go on whatever clear did.
	int ignored = system("clear");
	(void)ignored;

	puts("Programm zur Loesung einer quadratischen Gleichung");
	puts("\nAllgemein: ax^2+bx+c");
	int32_t a = read_coefficient("a");
	int32_t b = read_coefficient("b");
	int32_t c = read_coefficient("c");

	// b*b - 4ac, -b and a+a wrap around as 32-bit two's complement;
	// computed unsigned, since signed overflow is undefined.
	uint32_t ua = a, ub = b, uc = c;
	int32_t d = to_int32(ub * ub + uc * ((0u - ua) * 4u));
	int32_t neg_b = to_int32(0u - ub);
	int32_t two_a = to_int32(ua + ua);

	// Both quotients are formed before D is looked at; for D < 0 they
	// are not-a-numbers that nobody prints.
	double root = sqrt((double)d);
	float x1 = (float)((root + neg_b) / (double)two_a);
	float x2 = (float)((neg_b - root) / (double)two_a);

	if (d == 0)
		printf("\nx1 = x2 = %.100f\n", (double)x1);
	else if (d < 0)
		puts("\nLeere Menge");
	else
		printf("\nx1 = %.100f\nx2 = %.100f\n", (double)x1, (double)x2);

	// A result that never reached its reader is no success.
	if (fflush(stdout) == EOF || ferror(stdout)) {
		fprintf(stderr, "quadsolve: Fehler beim Schreiben: %s\n",
		    strerror(errno));
		return 1;
	}
	return 0;
}

// The prompt ends without a newline, so it is flushed to be on the screen
// (or in the pipe) before the read waits for the answer.
static int32_t
read_coefficient(const char *name)
{
	printf("\nBitte eine Zahl fuer %s eingeben: ", name);
	fflush(stdout);
	return read_number();
}

// Reads one number the way scanf's "%i" does: white space skipped, an
// optional sign, then 0x or 0X for hexadecimal, a leading 0 for octal,
// else decimal. Like scanf it consumes the sign and the 0x even when no
// digit follows, and pushes back only the character that ended the
// number, so an entry that is not a number stays in the input. Such an
// entry, or the end of the input, gives 0. A value beyond a long is
// saturated, as strtol does, and its low 32 bits are kept.
static int32_t
read_number(void)
{
	int ch;
	while ((ch = getchar()) != EOF && isspace(ch))
		;

	bool negative = ch == '-';
	if (ch == '-' || ch == '+')
		ch = getchar();
	int base = 10;
	if (ch == '0') {
		base = 8;
		ch = getchar();
		if (ch == 'x' || ch == 'X') {
			base = 16;
			ch = getchar();
		}
	}

	unsigned long mag = 0;
	bool overflow = false;
	for (int dig; (dig = digit_value(ch, base)) >= 0; ch = getchar()) {
		if (mag > (ULONG_MAX - dig) / base)
			overflow = true;
		else
			mag = mag * base + dig;
	}
	ungetc(ch, stdin);

	unsigned long limit = negative ? (unsigned long)LONG_MAX + 1 : LONG_MAX;
	if (overflow || mag > limit)
		mag = limit;
	return to_int32(negative ? 0u - (uint32_t)mag : (uint32_t)mag);
}

// The value of ch as a digit in base, or -1 (also for EOF).
static int
digit_value(int ch, int base)
{
	int dig = isdigit(ch) ? ch - '0' :
	    isxdigit(ch) ? tolower(ch) - 'a' + 10 : INT_MAX;
	return dig < base ? dig : -1;
}

// The two's complement reading of 32 bits, spelled out so that it does
// not rest on how a compiler converts an out-of-range unsigned value.
static int32_t
to_int32(uint32_t u)
{
	return u <= INT32_MAX ? (int32_t)u : -(int32_t)~u - 1;
}
