#pragma once

namespace lumvert {

// Each prints one fixed text to standard output; none ends it with a line
// feed unless the text itself does.
void print_banner();
void print_usage();
void print_success_hints();
// Prints a text as it is: a message of the run, or a piece of the texts above.
void print_text(const char* text);

}  // namespace lumvert
