#include "reference_parse.h"

#include <cstdio>
#include <cstring>

bool
reference_parse(struct ir_code *record, const char *path, const char *command)
{
	const char *const keys[5] = {
	    "sb_pulse", "sb_space", "adress", command, "stop" };
	char line[256] = {};
	char kept[5][256] = {};

	FILE *f = fopen(path, "r");
	if (f == NULL)
		return false;
	while (fgets(line, sizeof line, f) != NULL)
		for (int k = 0; k < 5; k++)
			if (strstr(line, keys[k]) != NULL)
				strcpy(kept[k], line);
	bool failed = ferror(f);
	fclose(f);
	if (failed)
		return false;

	record->sb_pulse = parsing(kept[0], 2);
	record->sb_space = parsing(kept[1], 2);
	record->adress = parsing(kept[2], 3);
	record->command = parsing(kept[3], 3);
	record->stop = parsing(kept[4], 3);
	return true;
}
