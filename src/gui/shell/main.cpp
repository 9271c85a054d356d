// spindle: the desktop program.
//   spindle [-e] [-i] [-r] [--data DIR]
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/translate.h"
#include "base/unattended_operator.h"
#include "forms/shell_rules.h"
#include "gui/editor/editor_window.h"
#include "gui/help/help_window.h"
#include "gui/shell/main_window.h"
#include "gui/shell/startup.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/gui_operator.h"
#include "station/data_lock.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// The program's own path: its catalogues, help and demo are found beside it.
std::filesystem::path ProgramPath(const char* argv0) {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        program = argv0;
    }
    return program;
}

// The switches after Qt took its own; nothing when they are wrong (the usage is said).
std::optional<spindle::StartupSwitches> ReadSwitches() {
    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) {
        args.push_back(a.toStdString());
    }
    spindle::StartupSwitches switches = spindle::ParseStartupSwitches(args);
    if (!switches.Problem.empty()) {
        std::cerr << "spindle: " << switches.Problem << "\n"
                  << "Usage: spindle [-e] [-i] [-r] [--data DIR]\n";
        return std::nullopt;
    }
    return switches;
}

// The data folder the switches or SPINDLE_DATA name. The user's data folder is made on
// the first start; a folder named on purpose must exist already.
std::filesystem::path DataFolder(const spindle::StartupSwitches& switches,
                                 const std::filesystem::path& program) {
    const std::filesystem::path folder =
        spindle::ResolveDataFolder(switches.Data, std::getenv("SPINDLE_DATA"), program);
    if (!switches.Data && std::getenv("SPINDLE_DATA") == nullptr) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    return folder;
}

// Why the program cannot start: a line on standard error when nobody answers boxes.
void Refuse(const std::string& problem, bool unattended, spindle::gui::GuiOperator& gui) {
    if (unattended) {
        std::cerr << "spindle: " << problem << "\n";
    } else {
        gui.Show(spindle::MessageKind::Error, problem, spindle::Buttons::Ok);
    }
}

// A session that ends, or a kill with SIGTERM, closes the window as the operator
// would, with the close question when something is unsaved; before the window is
// up there is nothing to lose and the program just ends.
void CloseOnTerminate(QApplication& app, spindle::gui::StartupSequence& startup) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&startup] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        const auto* editor = startup.Window() ? startup.Window()->Editor() : nullptr;
        if (startup.Window() != nullptr &&
            (startup.Window()->isVisible() || (editor != nullptr && editor->isVisible()))) {
            startup.Window()->Terminate();
        } else {
            QApplication::quit();
        }
    });
    std::signal(SIGTERM, OnTerminate);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::filesystem::path program = ProgramPath(argv[0]);
    spindle::InitTranslation(spindle::LocaleFolder(program, SPINDLE_LOCALE_DIR));
    QApplication app(argc, argv);  // takes Qt's own arguments (-platform, ...)
    QApplication::setApplicationName(QStringLiteral("Spindle"));
    QApplication::setDesktopFileName(QStringLiteral("org.spindle_radio.Spindle"));
    // Qt's own texts (standard buttons, file and print dialogs) from Qt's catalogues.
    QTranslator qtTexts;
    spindle::gui::InstallQtTranslations(qtTexts, QLocale::system());
    spindle::gui::SetHelpFolder(spindle::SharedFolder(program, "spindle/help"));

    const std::optional<spindle::StartupSwitches> read = ReadSwitches();
    if (!read) {
        return 2;
    }
    const spindle::StartupSwitches& switches = *read;
    const std::filesystem::path folder = DataFolder(switches, program);
    std::error_code ec;
    const bool missing = !std::filesystem::is_directory(folder, ec);

    // With "r" nobody answers boxes: messages become lines of the run.
    spindle::gui::GuiOperator gui;
    spindle::UnattendedOperator unattended;
    spindle::Operator& op = switches.Unattended ? static_cast<spindle::Operator&>(unattended)
                                                : static_cast<spindle::Operator&>(gui);
    const spindle::DataFolderLock lock(folder, "spindle (desktop)");
    if (missing || !lock.Held()) {
        const std::string problem =
            missing ? spindle::Format(spindle::tr("The data folder \"%0:s\" does not exist."),
                                      folder.string())
                    : lock.Problem();
        Refuse(problem, switches.Unattended, gui);
        return 1;
    }
    spindle::Station station(folder, op);
    station.Isolated = switches.Isolated;
    spindle::gui::StartupSequence startup(station, switches.Unattended ? &unattended : nullptr, {},
                                          switches.EditorFirst, &gui);
    QObject::connect(&startup, &spindle::gui::StartupSequence::WindowShown, [&] {
        gui.SetParent(startup.Window());
        startup.Window()->setWindowTitle(QStringLiteral("Spindle - ") +
                                         QString::fromStdString(folder.string()));
    });
    CloseOnTerminate(app, startup);
    startup.Start();
    const int status = app.exec();
    // For cron, as spindle-cli: an "r" run that made nothing or could not save failed.
    if (switches.Unattended &&
        (startup.Window() == nullptr || !startup.Window()->UnattendedDone())) {
        return 1;
    }
    return status;
}
