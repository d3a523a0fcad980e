// SPDX-License-Identifier: GPL-3.0-or-later
// zelvane-script: a game's script taken out through its pointers and a
// table, and put back; a thin command line over the script's core.
#include "document/code_pages.h"
#include "document/file_io.h"
#include "document/file_saver.h"
#include "script/dump.h"
#include "script/insert.h"
#include "script/pointer_search.h"
#include "script/pointers.h"
#include "script/script_table.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace zelvane;

constexpr const char* Usage =
    "Uso:\n"
    "  zelvane-script dump ROM --table TABELLA --block BLOCCO [--block BLOCCO ...] [--output SCRIPT]\n"
    "  zelvane-script insert ROM --script SCRIPT --output NUOVA_ROM [--ips PATCH] [--bps PATCH]\n"
    "  zelvane-script coverage ROM --table TABELLA --block BLOCCO [--block BLOCCO ...]\n"
    "  zelvane-script pointers ROM --table TABELLA --to INDIRIZZO\n"
    "\n"
    "BLOCCO: pointers=IND,count=N[,bits=16|24|32][,endian=little|big][,stride=N]\n"
    "      [,map=LINEAR|LOROM00|LOROM80|HIROM|GB][,offset=N][,header=N][,bank=N]\n"
    "   oppure text=INIZIO-FINE. Numeri decimali, 0x o $ esadecimali, - per i negativi.\n";

struct Arguments {
    std::string command, rom, table, script, output, ips, bps, to;
    std::vector<std::string> blocks;
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "zelvane-script: %s\n%s", message.c_str(), Usage);
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "zelvane-script: %s\n", message.c_str());
    return 1;
}

std::optional<std::string> ReadFile(const std::string& path, std::string& error)
{
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = path + ": " + (std::filesystem::exists(path, code) ? "non è un file normale" : "file inesistente");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": impossibile leggerlo: " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        error = path + ": errore di lettura";
        return std::nullopt;
    }
    return std::move(bytes).str();
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::exists(b, error) && std::filesystem::equivalent(a, b, error);
}

int Write(const std::string& path, const std::string& bytes)
{
    const SaveOutcome outcome = SaveFileSafely(path, [&bytes](int fd, SaveMethod, std::uint64_t& written) {
        written = bytes.size();
        return WriteAllAt(fd, bytes, 0);
    });
    if (!outcome.result)
        return Fail(path + ": " + outcome.result.message);
    return 0;
}

std::optional<ScriptTable> LoadScriptTable(const std::string& path)
{
    std::string error;
    const std::optional<std::string> bytes = ReadFile(path, error);
    if (!bytes) {
        Fail(error);
        return std::nullopt;
    }
    std::optional<ScriptTable> table = ScriptTable::Read(*bytes, error);
    if (!table)
        Fail(path + ": " + error);
    return table;
}

// The blocks of the command line, each read from the file; false after
// saying what could not be read.
bool ReadBlocks(const Arguments& arguments, std::string_view rom, const ScriptTable& table, std::vector<ReadBlockResult>& blocks)
{
    bool ok = true;
    for (const std::string& written : arguments.blocks) {
        std::string error;
        const std::optional<Block> block = ParseBlock(written, error);
        if (!block) {
            Fail("--block " + written + ": " + error);
            return false;
        }
        blocks.push_back(ReadBlock(rom, table, *block));
        for (const std::string& problem : blocks.back().Errors) {
            Fail(arguments.rom + ": " + written + ": " + problem);
            ok = false;
        }
    }
    return ok;
}

int Dump(const Arguments& arguments, std::string_view rom)
{
    const std::optional<ScriptTable> table = LoadScriptTable(arguments.table);
    if (!table)
        return 1;
    if (arguments.table.find_first_of(",)") != std::string::npos)
        return Fail(arguments.table + ": un percorso con \",\" o \")\" non si può scrivere in #ADDTBL");
    std::vector<ReadBlockResult> blocks;
    if (!ReadBlocks(arguments, rom, *table, blocks))
        return 1;
    for (const TableWarning& warning : table->Warnings())
        std::fprintf(stderr, "%s:%zu: avviso: %s\n", arguments.table.c_str(), warning.Line, warning.Message.c_str());
    // The table as the script's folder sees it.
    std::error_code error;
    const std::filesystem::path folder = arguments.output.empty() ? std::filesystem::current_path(error)
                                                                  : std::filesystem::absolute(arguments.output, error).parent_path();
    std::filesystem::path named = std::filesystem::relative(std::filesystem::absolute(arguments.table, error), folder, error);
    if (error || named.empty())
        named = std::filesystem::absolute(arguments.table, error);
    const std::string script = WriteScript(rom, *table, blocks, named.generic_string());
    if (arguments.output.empty()) {
        std::fwrite(script.data(), 1, script.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return Write(arguments.output, script);
}

int ShowCoverage(const Arguments& arguments, std::string_view rom)
{
    const std::optional<ScriptTable> table = LoadScriptTable(arguments.table);
    if (!table)
        return 1;
    std::vector<ReadBlockResult> blocks;
    if (!ReadBlocks(arguments, rom, *table, blocks))
        return 1;
    const Coverage coverage = MeasureCoverage(rom, *table, JoinTexts(blocks));
    std::printf("bytes: %llu\ntext: %llu\ncontrol: %llu\nunknown: %llu\n", static_cast<unsigned long long>(coverage.Bytes),
                static_cast<unsigned long long>(coverage.Text), static_cast<unsigned long long>(coverage.Control),
                static_cast<unsigned long long>(coverage.Unknown));
    std::printf("\ncodes read:\n");
    for (const auto& [code, count] : coverage.Counts)
        std::printf("  %s: %llu\n", HexText(code).c_str(), static_cast<unsigned long long>(count));
    std::printf("\nbytes no code covers (first address):\n");
    for (const auto& [byte, first] : coverage.UnknownFirst)
        std::printf("  %s: 0x%llX\n", HexText(std::string(1, static_cast<char>(byte))).c_str(), static_cast<unsigned long long>(first));
    std::printf("\ncodes never read: %zu\n", coverage.Unused.size());
    for (const ScriptCode* code : coverage.Unused)
        std::printf("  %s=%s\n", HexText(code->Bytes).c_str(), code->Text.c_str());
    return 0;
}

int Pointers(const Arguments& arguments, std::string_view rom)
{
    const std::optional<ScriptTable> table = LoadScriptTable(arguments.table);
    if (!table)
        return 1;
    const std::optional<std::int64_t> address = ParseNumber(arguments.to);
    if (!address || *address < 0)
        return UsageError("--to: indirizzo non valido: " + arguments.to);
    if (static_cast<std::uint64_t>(*address) >= rom.size())
        return Fail("--to: l'indirizzo è oltre la fine del file");
    for (const FoundTable& found : FindPointerTables(rom, *table, static_cast<std::uint64_t>(*address)))
        std::printf("%s  # %llu puntatori a inizi di stringa\n", BlockText(found.block).c_str(),
                    static_cast<unsigned long long>(found.Plausible));
    return 0;
}

int Insert(const Arguments& arguments, const std::string& romBytes)
{
    std::string error;
    const std::optional<std::string> script = ReadFile(arguments.script, error);
    if (!script)
        return Fail(error);
    InsertResult result = InsertScript(romBytes, *script, std::filesystem::path(arguments.script));
    if (!result.Errors.empty()) {
        for (const std::string& message : result.Errors)
            std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::string ips, bps;
    if (!arguments.ips.empty() && !MakeIps(romBytes, result.Rom, ips, error))
        return Fail(arguments.ips + ": " + error);
    if (!arguments.bps.empty())
        bps = MakeBps(romBytes, result.Rom);
    for (const std::string& line : result.Report)
        std::printf("%s\n", line.c_str());
    if (const int status = Write(arguments.output, result.Rom))
        return status;
    if (!arguments.ips.empty())
        if (const int status = Write(arguments.ips, ips))
            return status;
    if (!arguments.bps.empty())
        if (const int status = Write(arguments.bps, bps))
            return status;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty())
        return UsageError("manca il comando");
    if (words[0] == "--help" || words[0] == "-h") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (words[0] == "--version") {
        std::printf("zelvane-script %s\n", ZELVANE_VERSION);
        return 0;
    }
    arguments.command = words[0];
    if (arguments.command != "dump" && arguments.command != "insert" && arguments.command != "coverage" && arguments.command != "pointers")
        return UsageError("comando sconosciuto: " + arguments.command);
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= words.size())
                return false;
            into = words[++i];
            return true;
        };
        bool ok = true;
        if (word == "--table")
            ok = value(arguments.table);
        else if (word == "--script")
            ok = value(arguments.script);
        else if (word == "--output")
            ok = value(arguments.output);
        else if (word == "--ips")
            ok = value(arguments.ips);
        else if (word == "--bps")
            ok = value(arguments.bps);
        else if (word == "--to")
            ok = value(arguments.to);
        else if (word == "--block") {
            std::string written;
            ok = value(written);
            arguments.blocks.push_back(written);
        } else if (!word.starts_with("--") && arguments.rom.empty())
            arguments.rom = word;
        else
            return UsageError("argomento inatteso: " + word);
        if (!ok)
            return UsageError(word + " vuole un valore");
    }
    if (arguments.rom.empty())
        return UsageError("manca la ROM");
    const bool dump = arguments.command == "dump", insert = arguments.command == "insert";
    if (!insert && arguments.table.empty())
        return UsageError("manca --table");
    if ((dump || arguments.command == "coverage") && arguments.blocks.empty())
        return UsageError("manca --block");
    if (arguments.command == "pointers" && arguments.to.empty())
        return UsageError("manca --to");
    if (insert && (arguments.script.empty() || arguments.output.empty()))
        return UsageError("insert vuole --script e --output");
    for (const std::string* output : {&arguments.output, &arguments.ips, &arguments.bps}) {
        if (!output->empty() && SameFile(arguments.rom, *output))
            return Fail(*output + ": è la ROM di partenza, che non si sovrascrive mai");
    }
    std::string error;
    const std::optional<std::string> rom = ReadFile(arguments.rom, error);
    if (!rom)
        return Fail(error);
    if (dump)
        return Dump(arguments, *rom);
    if (insert)
        return Insert(arguments, *rom);
    if (arguments.command == "coverage")
        return ShowCoverage(arguments, *rom);
    return Pointers(arguments, *rom);
}
