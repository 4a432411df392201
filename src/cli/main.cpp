// findaro-search: the desktop program's search from a terminal, with the same
// settings file and the same search run.

#include "base/ExecutablePath.h"
#include "cli/TerminalView.h"
#include "search/Diagnostics.h"
#include "search/ResultsTable.h"
#include "search/SearchRun.h"
#include "search/Settings.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int kExitSearched = 0;
constexpr int kExitNotSearched = 1;
constexpr int kExitContainerFailed = 2;
constexpr int kExitUsage = 64;

const char kUsage[] =
    R"(Usage: findaro-search [OPTION]... [--] [TEXT]...

Searches the directory as the desktop program does when Enter is pressed in
its search field, and prints the shown columns as a header line followed by
one line per person found. The search text is TEXT, the arguments joined by
single blanks; no TEXT searches with an empty text.

The settings (compared attributes, match type, shown columns, containers,
limits, domain) are those of findaro.INI beside this program, the same file
the desktop program uses (found whatever the case of its name, as
Findaro.ini for example). The file is only read, never written; a missing
file means the default settings. The bind uses the Kerberos ticket of the calling
user (see klist).

Options:
  --ini FILE      read the settings from FILE instead; FILE must exist
  --tsv           cells parted by tabs instead of aligned columns
  --diagnostics   copy the diagnostics log to standard error as it grows
  --help          show this text and exit
  --              end of options; everything after it is search text

Standard output holds only the table. Progress texts, messages and the
diagnostics log go to standard error. Control characters in directory values
are printed as blanks.

Exit status:
  0   every container was searched (an empty table included)
  1   the run ended before searching: the settings file cannot be read, no
      directory server for the domain, no connection, the bind was refused,
      or no container is set and the default one could not be read; nothing
      is printed on standard output
  2   the search of at least one container failed; the rows of the others are
      printed
  64  wrong command line, or the settings file given with --ini does not exist
)";

// Mirrors the log as it grows; the run empties it first, so the count restarts.
void MirrorDiagnostics(TDiagnosticsLog& log) {
    log.Changed = [&log, printed = size_t{0}]() mutable {
        if (log.Lines().size() < printed)
            printed = 0;
        for (; printed < log.Lines().size(); ++printed) {
            // The tab after the time stamp is the log's own column break.
            const std::string& line = log.Lines()[printed];
            const size_t tab = line.find('\t');
            std::cerr << line.substr(0, tab + 1) << PrintableText(line.substr(tab + 1)) << '\n';
        }
        std::cerr << std::flush;
    };
}

} // namespace

int main(int argc, char** argv) {
    std::string iniPath;
    bool tsv = false;
    bool diagnostics = false;
    std::vector<std::string> words;

    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            std::cout << kUsage;
            return kExitSearched;
        } else if (options && arg == "--tsv") {
            tsv = true;
        } else if (options && arg == "--diagnostics") {
            diagnostics = true;
        } else if (options && arg == "--ini") {
            if (++i >= argc) {
                std::cerr << "findaro-search: --ini needs a file name\n";
                return kExitUsage;
            }
            iniPath = argv[i];
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "findaro-search: unknown option " << arg
                      << " (see --help; put -- before a search text that starts with -)\n";
            return kExitUsage;
        } else {
            words.push_back(arg);
        }
    }

    if (!iniPath.empty()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(iniPath, error)) {
            std::cerr << "findaro-search: settings file " << iniPath << " does not exist\n";
            return kExitUsage;
        }
    } else {
        iniPath = findaro::ExecutableFolder() + "/findaro.INI";
    }
    SetSettingsFilePath(iniPath);
    LoadSettings();
    // Searching with the defaults instead would look like a result of the file.
    if (const std::string error = SettingsReadError(); !error.empty()) {
        std::cerr << "findaro-search: " << error << '\n';
        return kExitNotSearched;
    }

    std::string searchText;
    for (size_t i = 0; i < words.size(); ++i)
        searchText += (i > 0 ? " " : "") + words[i];

    TTerminalView view(std::cerr);
    BuildResultColumns(view, OptionsRec);
    TDiagnosticsLog& log = Diagnostics();
    if (diagnostics)
        MirrorDiagnostics(log);

    const SearchOutcome outcome = RunSearch(view, log, searchText, OptionsRec);
    if (outcome != SearchOutcome::Completed && outcome != SearchOutcome::CompletedWithErrors)
        return kExitNotSearched;

    std::cout << (tsv ? FormatTsv(view.Columns(), view.Rows())
                      : FormatAligned(view.Columns(), view.Rows()))
              << std::flush;
    return outcome == SearchOutcome::Completed ? kExitSearched : kExitContainerFailed;
}
