/* The least a patch run can do, for comparison: open the file, read one
   byte and write six, with no dialogue, no checks and no commit to disk. */
#include <stdio.h>

int main(int argc, char** argv) {
  static const long offsets[6] = {457985, 462711, 462738, 464015, 509085, 509229};
  if (argc < 2) return 1;
  FILE* file = fopen(argv[1], "r+b");
  if (file == NULL) return 1;
  fseek(file, offsets[0], SEEK_SET);
  const int current = fgetc(file);
  for (int i = 0; i < 6; ++i) {
    fseek(file, offsets[i], SEEK_SET);
    fputc(50, file);
  }
  fclose(file);
  return current < 0;
}
