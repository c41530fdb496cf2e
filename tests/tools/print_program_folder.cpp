// Prints the program folder as the program works it out at start-up.

#include "support/folders.h"

#include <cstdio>

int main() {
    std::fputs(ProgramFolder().c_str(), stdout);
    return 0;
}
