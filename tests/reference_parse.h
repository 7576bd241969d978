// The code table reader at its plainest, line by line with fgets, strstr
// and strcpy: what the fast reader must agree with.
#pragma once

#include "parser.h"

// Fills record from the table at path for the command name command, as
// parse does; false when the file cannot be opened or read.
bool reference_parse(struct ir_code *record, const char *path,
    const char *command);
