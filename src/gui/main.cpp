// spindle: the desktop program.
//   spindle [-i] [--data DIR]
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/gui_operator.h"
#include "app/main_window.h"
#include "base/translate.h"
#include "library/data_lock.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    spindle::InitTranslation(SPINDLE_LOCALE_DIR);
    QApplication app(argc, argv);  // takes Qt's own arguments (-platform, ...)

    bool isolated = false;
    std::optional<std::string> data;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const std::string a = args[i].toStdString();
        if (a == "-i" || a == "-I" || a == "/i" || a == "/I" || a == "--isolated") {
            isolated = true;
        } else if (a == "--data" && i + 1 < args.size()) {
            data = args[++i].toStdString();
        } else if (a.rfind("--data=", 0) == 0 && a.size() > 7) {
            data = a.substr(7);
        } else {
            std::cerr << "spindle: unknown argument '" << a << "'\n"
                      << "Usage: spindle [-i] [--data DIR]\n";
            return 2;
        }
    }
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        program = argv[0];
    }
    const std::filesystem::path folder =
        spindle::ResolveDataFolder(data, std::getenv("SPINDLE_DATA"), program);

    spindle::gui::GuiOperator op;
    const spindle::DataFolderLock lock(folder, "spindle (desktop)");
    if (!lock.Held()) {
        op.Show(spindle::MessageKind::Error, lock.Problem(), spindle::Buttons::Ok);
        return 1;
    }
    spindle::Station station(folder, op);
    station.Isolated = isolated;
    station.Startup = true;
    station.LoadAll();
    station.Startup = false;

    spindle::gui::MainWindow window(station);
    op.SetParent(&window);
    window.setWindowTitle(QStringLiteral("Spindle - ") + QString::fromStdString(folder.string()));

    // A session that ends, or a kill with SIGTERM, closes the window as the operator
    // would, with the close question when something is unsaved.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
            window.close();
        });
        std::signal(SIGTERM, OnTerminate);
    }
    window.ShowStartPage();
    window.show();
    return app.exec();
}
