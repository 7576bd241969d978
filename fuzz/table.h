// What the fuzz targets share: an input is a command name up to its first
// newline, then the code table, which goes to a file of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct fuzz_input {
	char *command;	// NUL-terminated
	char *text;	// the table, NUL-terminated after its len bytes
	size_t len;
	const char *base;	// the table's file name without ".conf"
};

// Makes the directory for the table file; from LLVMFuzzerInitialize.
void table_init(void);
// Splits data and writes the table file; table_free releases the rest.
struct fuzz_input table_write(const uint8_t *data, size_t size);
void table_free(struct fuzz_input *);
