#include "cli/data_file_command.h"

#include <cstdlib>
#include <fstream>
#include <optional>

#include "base/format.h"
#include "base/translate.h"
#include "station/data_lock.h"
#include "station/station.h"

namespace spindle {
namespace {

int Fail(std::ostream& err, const std::string& problem) {
    err << "spindle-cli: " << problem << '\n';
    return 1;
}

// A private temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "spindle-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The exports write files, safely; one to the standard output is written beside the
// program's other temporary files and then copied out whole, so a failed export shows
// nothing there.
int ExportToOutput(DataFileCommand command, std::ostream& out, std::ostream& err,
                   const std::function<int(const DataFileCommand&)>& body) {
    const TempFolder temp;
    if (temp.Path().empty()) {
        return Fail(err, tr("No temporary folder can be made for the standard output."));
    }
    command.File = temp.Path() / "export";
    command.ToOutput = true;
    const int status = body(command);
    if (status == 0) {
        std::ifstream written(command.File, std::ios::binary);
        out << written.rdbuf();
    }
    return status;
}

}  // namespace

int RunDataFileCommand(const std::string& command, const std::vector<std::string>& args,
                       const std::filesystem::path& programPath, std::ostream& out,
                       std::ostream& err, const std::function<int(const std::string&)>& usageError,
                       const std::function<int(const DataFileCommand&)>& body) {
    std::optional<std::string> data;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data" && i + 1 < args.size()) {
            data = args[++i];
        } else if (a.starts_with("--data=") && a.size() > 7) {
            data = a.substr(7);
        } else if (a == "--data" || a == "--data=") {
            return usageError(Format(tr("%0:s needs a value"), "--data"));
        } else if (a.starts_with("-") && a != "-") {
            return usageError(Format(tr("unknown argument \"%0:s\""), a));
        } else {
            words.push_back(a);
        }
    }
    if (words.size() != 2 || (words[0] != "export" && words[0] != "import")) {
        return usageError(Format(tr("%0:s takes export or import and one file"), command));
    }
    const bool exporting = words[0] == "export";
    if (!exporting && words[1] == "-") {
        return usageError(
            tr("an import reads a file; \"-\" (the standard output) is for an "
               "export only"));
    }
    const std::filesystem::path folder =
        ResolveDataFolder(data, std::getenv("SPINDLE_DATA"), programPath);
    if (!HoldsStation(folder)) {
        return Fail(err, Format(tr("%0:s holds no station"), folder.string()));
    }
    const DataFolderLock lock(folder, "spindle-cli " + command + " " + words[0]);
    if (!lock.Held()) {
        return Fail(err, lock.Problem());
    }
    const DataFileCommand run{folder, exporting, words[1]};
    return exporting && words[1] == "-" ? ExportToOutput(run, out, err, body) : body(run);
}

}  // namespace spindle
