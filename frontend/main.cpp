#include "frontend/run.hpp"

// The program's name goes, where there is one: a process may be started with no arguments at
// all, not even that name.
#ifdef _WIN32
// The UTF-16 arguments (linked with -municode): the ANSI ones lose every character outside the
// system's code page, and a lost name opens another file or none.
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    const int skipped = argc > 0 ? 1 : 0;
    return lumvert::run_lumvert(argc - skipped, argv + skipped);
}
