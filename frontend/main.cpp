#include "frontend/run.hpp"

int main(int argc, char** argv) { return lumvert::run_lumvert(argc, argv); }
