// posix_entry.cpp - the process entry of the programs on POSIX systems.
//
// Each program's entry operation is SDL_main, which the start-up glue of SDL
// calls on the systems where SDL has such glue; here main hands it the
// command line and returns its result as the exit status.

extern "C" int SDL_main(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    return SDL_main(argc, argv);
}
