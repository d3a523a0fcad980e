// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/command_line.h"

#include <string_view>
#include <utility>

namespace zelvane {

namespace {
CommandLine Only(CommandLine::Action action, std::string error = {})
{
    CommandLine line;
    line.action = action;
    line.error = std::move(error);
    return line;
}
} // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "-h" || argument == "--help")) {
            return Only(CommandLine::Action::Help);
        } else if (options && (argument == "-v" || argument == "--version")) {
            return Only(CommandLine::Action::Version);
        } else if (options && argument.size() > 1 && argument.front() == '-') {
            return Only(CommandLine::Action::Error, "opzione sconosciuta: " + std::string(argument));
        } else if (!line.file.empty()) {
            return Only(CommandLine::Action::Error, "si può aprire un solo file alla volta: " + std::string(argument));
        } else {
            line.file = argument;
        }
    }
    return line;
}

std::string HelpText()
{
    return "Uso: zelvane [OPZIONE] [FILE]\n"
           "Editor di tabelle dei caratteri (.tbl) per la traduzione di videogiochi.\n"
           "Apre FILE all'avvio, se è dato; altrimenti una tabella senza nome.\n"
           "\n"
           "Opzioni:\n"
           "  -h, --help     mostra questo aiuto ed esce\n"
           "  -v, --version  mostra la versione ed esce\n"
           "  --             ciò che segue è il nome di un file, anche se inizia con -\n"
           "\n"
           "Stato d'uscita: 0 se tutto va bene, 1 se la finestra non si può aprire,\n"
           "2 se la riga di comando è sbagliata.\n";
}

std::string VersionText()
{
    return "Zelvane " ZELVANE_VERSION "\n"
           "Licenza GPL-3.0-or-later: <https://www.gnu.org/licenses/gpl-3.0.html>.\n"
           "Questo è software libero: sei libero di modificarlo e ridistribuirlo.\n"
           "Non c'è ALCUNA GARANZIA, nei limiti permessi dalla legge.\n";
}

} // namespace zelvane
