#include "frontend/run.hpp"

#ifdef _WIN32
// The UTF-16 arguments (linked with -municode): the ANSI ones lose every character outside the
// system's code page, and a lost name opens another file or none.
int wmain(int argc, wchar_t** argv) { return lumvert::run_lumvert({argv, argv + argc}); }
#else
int main(int argc, char** argv) { return lumvert::run_lumvert({argv, argv + argc}); }
#endif
