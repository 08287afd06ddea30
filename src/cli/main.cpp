#include <iostream>
#include <string>
#include <vector>

#include "cli/commandes.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return lumi::cli::executer(arguments, {std::cout, std::cerr});
}
