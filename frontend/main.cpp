#include "frontend/run.hpp"

#include <algorithm>

// The program's name goes; std::min because a process may be started with
// no arguments at all, not even that name.
#ifdef _WIN32
// The UTF-16 arguments (linked with -municode): the ANSI ones lose every character outside the
// system's code page, and a lost name opens another file or none.
int wmain(int argc, wchar_t** argv)
{
    return lumvert::run_lumvert({argv + std::min(argc, 1), argv + argc});
}
#else
int main(int argc, char** argv)
{
    return lumvert::run_lumvert({argv + std::min(argc, 1), argv + argc});
}
#endif
