#include <iostream>

#include "tools/replay/runner.h"

int main(int argc, char** argv) {
    return velmora::replay::ReplayMain(argc, argv, std::cout, std::cerr);
}
