#include <iostream>

#include "tools/batch.h"

int main(int argc, char** argv) { return runBatch({argv + 1, argv + argc}, std::cout, std::cerr); }
