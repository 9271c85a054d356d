#include <unistd.h>

#include <clocale>
#include <iostream>

#include "base/translate.h"
#include "cli/cli.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    spindle::InitTranslation(SPINDLE_LOCALE_DIR);
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        program = argv[0];
    }
    return spindle::RunCli(std::vector<std::string>(argv + 1, argv + argc), program, std::cout,
                           std::cerr, ::isatty(2) != 0);
}
