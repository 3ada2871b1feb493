#include "port/run_port.hpp"

#ifdef _WIN32
// The UTF-16 arguments (linked with -municode), so that a map's name in any script opens it.
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    const int skipped = argc > 0 ? 1 : 0;
    return lumvert::run_port(argc - skipped, argv + skipped);
}
