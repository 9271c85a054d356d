#include <unistd.h>

#include <clocale>
#include <iostream>

#include "base/translate.h"
#include "cli/cli.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        program = argv[0];
    }
    spindle::InitTranslation(spindle::LocaleFolder(program, SPINDLE_LOCALE_DIR));
    // Nothing ends the program with an abort: the run has its own handler, the small
    // tools end here with a message.
    try {
        return spindle::RunCli(std::vector<std::string>(argv + 1, argv + argc), program, std::cout,
                               std::cerr, ::isatty(2) != 0);
    } catch (const std::exception& e) {
        std::cerr << "spindle-cli: unexpected error: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "spindle-cli: unexpected error\n";
    }
    return 1;
}
