// Asks the C runtime's start-up to expand wildcards in the arguments, so
// that "RPG_*.exe" reaches the tool as the name of the matching file.
extern "C" {
int _dowildcard = -1;
}
