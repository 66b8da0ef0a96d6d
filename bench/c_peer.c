/*
 * The filter as a competent C programmer would write it, the second
 * yardstick: stdio with full buffering, scanf for the key, fgets for the
 * text, plain loops, all three buffers cleared per case, no flush per line.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { SIZE = 10000 };

static void skip_line(void)
{
	int c;
	while ((c = getchar()) != '\n' && c != EOF)
		;
}

int main(void)
{
	static char in_buffer[1 << 16], out_buffer[1 << 16];
	char *line = calloc(SIZE, 1), *compact = calloc(SIZE, 1), *output = calloc(SIZE, 1);
	int key = 0;

	if (line == NULL || compact == NULL || output == NULL)
		return 1;
	setvbuf(stdin, in_buffer, _IOFBF, sizeof in_buffer);
	setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
	while (scanf("%d", &key) == 1 && key != 0) {
		size_t length = 0, i, p = 0, c = 0, k = key < 1 ? 1 : (size_t)key;

		skip_line();
		if (fgets(line, SIZE, stdin) != NULL) {
			size_t n = strlen(line);
			if (n > 0 && line[n - 1] == '\n')
				line[n - 1] = '\0';
			else if (n == SIZE - 1)
				skip_line();
		}
		for (i = 0; line[i] != '\0'; i++) {
			if (line[i] >= 'a' && line[i] <= 'z')
				line[i] = (char)(line[i] - 'a' + 'A');
			if (line[i] != ' ')
				compact[length++] = line[i];
		}
		for (i = 0; i < length; i++) {
			if (p >= length)
				p = ++c;
			output[p] = compact[i];
			p += k;
		}
		fputs(output, stdout);
		putchar('\n');
		memset(line, 0, SIZE);
		memset(compact, 0, SIZE);
		memset(output, 0, SIZE);
	}
	free(line);
	free(compact);
	free(output);
	return ferror(stdout) || fflush(stdout) != 0;
}
