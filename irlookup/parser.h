// Reading a remote control's code table: the IR code record and the two
// functions that fill it.
#pragma once

#include <cstdint>

// The five numbers of one command, named after the keys of the code table.
struct ir_code {
	int32_t sb_pulse;	// start bit pulse
	int32_t sb_space;	// start bit space
	int32_t adress;
	int32_t command;	// code of the requested command
	int32_t stop;
};

// Reads the code table args[1] + ".conf" and fills record from the last
// line (piece of a line, as fgets with a 256-byte buffer returns it) that
// contains each key, args[2] being the command name. Returns record, or
// nullptr, with a message on standard output and record untouched, when
// the file cannot be opened or read. args[1] and args[2] must exist.
struct ir_code *parse(struct ir_code *record, const char *const args[]);

// The number in column `column` of the line data: the text after the
// column-th tab (column 0: from the start) up to the next tab, newline or
// NUL, converted as strtol with base 0 converts it and kept as the low 32
// bits. A missing column, or one without digits, gives 0.
int32_t parsing(const char *data, int column);
