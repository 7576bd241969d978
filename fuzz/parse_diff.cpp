// Differential libFuzzer target: the block reader must fill the record
// exactly as the line-by-line reader of the tests does, for the command
// name of the input, for the empty name (it is in every piece) and for the
// name with a newline at its end (it is only in pieces that end there).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parser.h"
#include "reference_parse.h"
#include "table.h"

extern "C" int
LLVMFuzzerInitialize(int *, char ***)
{
	table_init();
	return 0;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	struct fuzz_input in = table_write(data, size);
	char path[4096];
	snprintf(path, sizeof path, "%s.conf", in.base);
	size_t cmdlen = strlen(in.command);
	char *with_nl = (char *)malloc(cmdlen + 2);
	memcpy(with_nl, in.command, cmdlen);
	memcpy(with_nl + cmdlen, "\n", 2);

	const char *const commands[] = { in.command, "", with_nl };
	for (const char *command : commands) {
		const char *args[] = {"irlookup", in.base, command, NULL};
		struct ir_code got, want;
		if (parse(&got, args) != &got ||
		    !reference_parse(&want, path, command))
			abort();
		if (memcmp(&got, &want, sizeof got) != 0) {
			fprintf(stderr, "command [%s]: got %d %d %d %d %d, "
			    "want %d %d %d %d %d\n", command, got.sb_pulse,
			    got.sb_space, got.adress, got.command, got.stop,
			    want.sb_pulse, want.sb_space, want.adress,
			    want.command, want.stop);
			abort();
		}
	}
	free(with_nl);
	table_free(&in);
	return 0;
}
