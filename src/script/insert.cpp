// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/insert.h"

#include "script/dump.h"
#include "script/pointers.h"
#include "script/script_table.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace zelvane {

namespace {

struct Variable {
    enum class Type { Table, Pointer, PointerTable } type = Type::Table;
    std::optional<ScriptTable> table;
    std::optional<PointerFormat> pointer; // made by #CREATEPTR
    // A pointer table: its first slot, stride, pointer and next slot.
    std::uint64_t start = 0, stride = 0, next = 0;
    std::string pointerName;
    bool made = false;
};

// A pointer to write once the whole script is read.
struct PointerWrite {
    std::size_t line = 0;
    std::uint64_t slot = 0;
    std::uint64_t target = 0;
    PointerFormat format;
};

struct TextWrite {
    std::uint64_t at = 0;
    std::string bytes;
};

bool ValidName(std::string_view name)
{
    if (name.size() < 2 || !((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return false;
    bool allDigits = true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if ((!letter && !digit && c != '_') || c == 'K')
            return false;
        if (i > 0 && !digit)
            allDigits = false;
    }
    return !allDigits;
}

// A script number: $ and upper-case hexadecimal digits ($-HEX for a
// negative), or decimal digits.
std::optional<std::int64_t> ScriptNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    if (text.front() == '$') {
        text.remove_prefix(1);
        const bool negative = text.starts_with('-');
        if (negative)
            text.remove_prefix(1);
        if (text.empty() || text.size() > 15 || !std::ranges::all_of(text, [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }))
            return std::nullopt;
        const std::int64_t value = *ParseNumber("0x" + std::string(text));
        return negative ? -value : value;
    }
    if (text.size() > 18 || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return ParseNumber(text);
}

std::string Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// `#NAME(a, b)`: the name and the arguments, blanks around each trimmed;
// false for a line that is no command of that shape.
bool SplitCommand(std::string_view line, std::string& name, std::vector<std::string>& arguments)
{
    line = line.substr(line.find('#') + 1);
    std::size_t at = 0;
    while (at < line.size() && line[at] >= 'A' && line[at] <= 'Z')
        ++at;
    name = std::string(line.substr(0, at));
    if (name.empty() || at >= line.size() || line[at] != '(')
        return false;
    const std::size_t close = line.find(')', at);
    if (close == std::string_view::npos || !Trim(line.substr(close + 1)).empty())
        return false;
    const std::string_view inside = line.substr(at + 1, close - at - 1);
    arguments.clear();
    if (Trim(inside).empty())
        return true;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = inside.find(',', from);
        arguments.push_back(Trim(inside.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from)));
        if (comma == std::string_view::npos)
            break;
        from = comma + 1;
    }
    return true;
}

std::optional<std::string> Quoted(const std::string& argument)
{
    if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"')
        return std::nullopt;
    return argument.substr(1, argument.size() - 2);
}

std::string Hex(std::uint64_t value)
{
    return DollarHex(static_cast<std::int64_t>(value));
}

} // namespace

InsertResult InsertScript(std::string_view rom, std::string_view script, const std::filesystem::path& scriptPath)
{
    InsertResult result;
    result.Rom = std::string(rom);
    const std::string name = scriptPath.string();
    const auto error = [&](std::size_t line, const std::string& message) {
        result.Errors.push_back(name + ":" + std::to_string(line) + ": " + message);
    };
    std::map<std::string, Variable> variables;
    const ScriptTable* active = nullptr;
    std::uint64_t header = 0;
    bool bigEndian = false;
    std::optional<std::uint64_t> position;
    std::vector<PointerWrite> pointers;
    std::vector<TextWrite> texts;
    // The region now being written: where it started, its bound, the first
    // line past the bound.
    struct Open {
        std::uint64_t start = 0;
        std::optional<std::uint64_t> last;
        std::size_t line = 0, overflowLine = 0;
    };
    std::optional<Open> region;
    // Strings as written: where each starts, its script line, its bytes.
    struct Written {
        std::uint64_t at;      // where the string was, in the old file
        std::size_t line;
        std::uint64_t bytes;
    };
    std::vector<Written> strings;
    bool stringOpen = false;
    // The old place of the string the last #WRITE leads to: where its
    // pointer led before (UINT64_MAX: none).
    std::uint64_t oldPlace = UINT64_MAX;
    std::vector<std::uint64_t> oldTargets;
    const auto closeRegion = [&] {
        if (!region || !position)
            return;
        const std::uint64_t used = *position - region->start;
        result.Regions.push_back({region->start, region->last, used});
        if (region->last && *position > *region->last + 1)
            error(region->overflowLine, "il testo passa la fine della sua regione, " + Hex(*region->last) + " (#JMP alla riga "
                                            + std::to_string(region->line) + "), di " + std::to_string(*position - *region->last - 1)
                                            + " byte in tutto");
        region.reset();
    };

    std::string_view rest = script;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed.starts_with("//"))
            continue;
        if (trimmed.front() != '#') {
            // Text, whole, through the active table.
            if (!active) {
                error(number, "testo prima di ogni #ACTIVETBL");
                continue;
            }
            if (!position) {
                error(number, "testo prima di ogni #JMP");
                continue;
            }
            const ScriptTable::Encoded encoded = active->Encode(line);
            if (encoded.BadColumn) {
                error(number, "column " + std::to_string(*encoded.BadColumn) + ": nessun codice della tabella scrive \"" + encoded.BadCharacter + "\"");
                continue;
            }
            if (!stringOpen) {
                strings.push_back({oldPlace != UINT64_MAX ? oldPlace : *position, number, 0});
                stringOpen = true;
                oldPlace = UINT64_MAX;
            }
            strings.back().bytes += encoded.Bytes.size();
            texts.push_back({*position, encoded.Bytes});
            *position += encoded.Bytes.size();
            if (region && region->last && *position > *region->last + 1 && region->overflowLine == 0)
                region->overflowLine = number;
            // A line that ends in an end code ends its string.
            const ScriptCode* last = nullptr;
            for (std::size_t at = 0; at < encoded.Bytes.size();) {
                last = active->CodeAt(encoded.Bytes, at);
                at += last ? last->Bytes.size() : 1;
            }
            if (last && last->Kind == CodeKind::EndOfLine)
                stringOpen = false;
            continue;
        }
        std::string command;
        std::vector<std::string> arguments;
        if (!SplitCommand(trimmed, command, arguments)) {
            error(number, "non è un comando: si scrive #NOME(argomento, ...)");
            continue;
        }
        const auto wants = [&](std::size_t count) {
            if (arguments.size() == count)
                return true;
            error(number, "#" + command + " vuole " + std::to_string(count) + " argomenti");
            return false;
        };
        const auto numberAt = [&](std::size_t index) -> std::optional<std::int64_t> {
            const std::optional<std::int64_t> value = ScriptNumber(arguments[index]);
            if (!value)
                error(number, "#" + command + ": \"" + arguments[index] + "\" non è un numero ($HEX, $-HEX o decimale)");
            return value;
        };
        const auto variable = [&](const std::string& varName, Variable::Type type) -> Variable* {
            const auto found = variables.find(varName);
            if (found == variables.end() || found->second.type != type) {
                error(number, "#" + command + ": \"" + varName + "\" non è una variabile del tipo giusto");
                return nullptr;
            }
            return &found->second;
        };
        if (command == "VAR") {
            if (!wants(2))
                continue;
            if (!ValidName(arguments[0])) {
                error(number, "#VAR: \"" + arguments[0] + "\" non è un nome valido (due o più lettere, cifre o _, prima una lettera, nessuna K)");
                continue;
            }
            if (variables.contains(arguments[0])) {
                error(number, "#VAR: \"" + arguments[0] + "\" è già dichiarata");
                continue;
            }
            Variable made;
            if (arguments[1] == "TABLE")
                made.type = Variable::Type::Table;
            else if (arguments[1] == "CUSTOMPOINTER")
                made.type = Variable::Type::Pointer;
            else if (arguments[1] == "POINTERTABLE")
                made.type = Variable::Type::PointerTable;
            else {
                error(number, "#VAR: tipo sconosciuto \"" + arguments[1] + "\" (TABLE, CUSTOMPOINTER o POINTERTABLE)");
                continue;
            }
            variables[arguments[0]] = std::move(made);
        } else if (command == "ADDTBL") {
            if (!wants(2))
                continue;
            const std::optional<std::string> path = Quoted(arguments[0]);
            Variable* table = variable(arguments[1], Variable::Type::Table);
            if (!path || !table) {
                if (!path)
                    error(number, "#ADDTBL: il percorso della tabella va tra virgolette");
                continue;
            }
            const std::filesystem::path file = scriptPath.parent_path() / *path;
            std::ifstream in(file, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            if (!in) {
                error(number, "#ADDTBL: impossibile leggere " + file.string());
                continue;
            }
            std::string why;
            table->table = ScriptTable::Read(bytes.str(), why);
            if (!table->table)
                error(number, "#ADDTBL: " + file.string() + ": " + why);
        } else if (command == "ACTIVETBL") {
            if (!wants(1))
                continue;
            if (Variable* table = variable(arguments[0], Variable::Type::Table)) {
                if (!table->table)
                    error(number, "#ACTIVETBL: nessuna tabella aggiunta a \"" + arguments[0] + "\"");
                else
                    active = &*table->table;
            }
        } else if (command == "HDR") {
            if (!wants(1))
                continue;
            if (const auto value = numberAt(0); value && *value >= 0)
                header = static_cast<std::uint64_t>(*value);
        } else if (command == "ENDIANSWAP") {
            if (!wants(1))
                continue;
            const std::optional<std::string> value = Quoted(arguments[0]);
            if (value == "TRUE" || value == "FALSE")
                bigEndian = *value == "TRUE";
            else
                error(number, "#ENDIANSWAP vuole \"TRUE\" o \"FALSE\"");
        } else if (command == "CREATEPTR") {
            if (!wants(4))
                continue;
            Variable* pointer = variable(arguments[0], Variable::Type::Pointer);
            const std::optional<std::string> map = Quoted(arguments[1]);
            const std::optional<Mapping> mapping = map ? ParseMapping(*map) : std::nullopt;
            const auto offset = numberAt(2);
            const auto bits = numberAt(3);
            if (!mapping)
                error(number, "#CREATEPTR: la mappa è \"LINEAR\", \"LOROM00\", \"LOROM80\", \"HIROM\" o \"GB\"");
            if (bits && *bits != 16 && *bits != 24 && *bits != 32)
                error(number, "#CREATEPTR: i puntatori sono di 16, 24 o 32 bit");
            if (!pointer || !mapping || !offset || !bits || (*bits != 16 && *bits != 24 && *bits != 32))
                continue;
            PointerFormat format;
            format.Map = *mapping;
            format.Offset = *offset;
            format.Bits = static_cast<int>(*bits);
            format.Header = header; // the header in force now
            pointer->pointer = format;
        } else if (command == "PTRTBL") {
            if (!wants(4))
                continue;
            Variable* table = variable(arguments[0], Variable::Type::PointerTable);
            const auto start = numberAt(1);
            const auto stride = numberAt(2);
            Variable* pointer = variable(arguments[3], Variable::Type::Pointer);
            if (!table || !start || !stride || !pointer || *start < 0 || *stride <= 0)
                continue;
            table->start = table->next = static_cast<std::uint64_t>(*start);
            table->stride = static_cast<std::uint64_t>(*stride);
            table->pointerName = arguments[3];
            table->made = true;
        } else if (command == "JMP") {
            if (arguments.size() != 1 && arguments.size() != 2) {
                error(number, "#JMP vuole un inizio e, dopo, l'ultimo byte");
                continue;
            }
            const auto start = numberAt(0);
            const std::optional<std::int64_t> last = arguments.size() == 2 ? numberAt(1) : std::optional<std::int64_t>(-1);
            if (!start || !last || *start < 0)
                continue;
            closeRegion();
            position = static_cast<std::uint64_t>(*start);
            region = Open{*position, *last >= 0 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(*last)) : std::nullopt, number, 0};
            stringOpen = false;
        } else if (command == "WRITE") {
            if (arguments.empty() || arguments.size() > 2) {
                error(number, "#WRITE vuole un puntatore e un indirizzo, o una tabella di puntatori e forse una posizione");
                continue;
            }
            const auto found = variables.find(arguments[0]);
            if (found == variables.end() || found->second.type == Variable::Type::Table) {
                error(number, "#WRITE: \"" + arguments[0] + "\" non è un puntatore né una tabella di puntatori");
                continue;
            }
            if (!position) {
                error(number, "#WRITE prima di ogni #JMP: non c'è ancora una posizione del testo");
                continue;
            }
            Variable& target = found->second;
            std::uint64_t slot = 0;
            const Variable* pointer = &target;
            if (target.type == Variable::Type::Pointer) {
                if (arguments.size() != 2) {
                    error(number, "#WRITE(" + arguments[0] + ", $INDIRIZZO): manca l'indirizzo del puntatore");
                    continue;
                }
                const auto address = numberAt(1);
                if (!address || *address < 0)
                    continue;
                slot = static_cast<std::uint64_t>(*address);
            } else {
                if (!target.made) {
                    error(number, "#WRITE: \"" + arguments[0] + "\" non ha #PTRTBL");
                    continue;
                }
                if (arguments.size() == 2) {
                    const auto index = numberAt(1);
                    if (!index || *index < 0)
                        continue;
                    target.next = target.start + static_cast<std::uint64_t>(*index) * target.stride;
                }
                slot = target.next;
                target.next += target.stride;
                pointer = &variables[target.pointerName];
            }
            if (!pointer->pointer) {
                error(number, "#WRITE: il puntatore non ha #CREATEPTR");
                continue;
            }
            PointerFormat format = *pointer->pointer;
            format.BigEndian = bigEndian; // the order in force at the write
            // A 16-bit pointer reaches the bank its region starts in.
            if (format.Bits == 16 && region)
                format.Bank = MachineAddress(region->start, format.Map, format.Header).value_or(0) >> 16;
            pointers.push_back({number, slot, *position, format});
            const std::optional<std::uint64_t> old = ReadPointer(rom, slot, format);
            const std::optional<std::uint64_t> oldTarget = old ? PointerTarget(*old, format, slot) : std::nullopt;
            if (oldTarget) {
                oldPlace = *oldTarget;
                oldTargets.push_back(*oldTarget);
            }
            // A pointer starts a string.
            stringOpen = false;
        } else {
            error(number, "comando sconosciuto #" + command);
        }
    }
    closeRegion();

    // Regions that overlap, text over a pointer's bytes, pointers that
    // cannot say where their text is.
    std::vector<InsertResult::Region> regions = result.Regions;
    std::ranges::sort(regions, [](const auto& a, const auto& b) { return a.Start < b.Start; });
    for (std::size_t i = 1; i < regions.size(); ++i) {
        const auto& before = regions[i - 1];
        if (regions[i].Start < before.Start + std::max<std::uint64_t>(before.Used, before.Last ? *before.Last + 1 - before.Start : 0)
            && regions[i].Used > 0 && before.Used > 0)
            result.Errors.push_back(name + ": le regioni a " + Hex(before.Start) + " e " + Hex(regions[i].Start) + " si sovrappongono");
    }
    for (const PointerWrite& write : pointers) {
        const auto size = static_cast<std::uint64_t>(write.format.Bits / 8);
        const auto here = [&](const std::string& message) { error(write.line, message); };
        if (write.slot + size > rom.size()) {
            here("il puntatore a " + Hex(write.slot) + " è oltre la fine del file");
            continue;
        }
        for (const TextWrite& text : texts) {
            if (text.at < write.slot + size && write.slot < text.at + text.bytes.size()) {
                here("testo scritto sopra il puntatore a " + Hex(write.slot));
                break;
            }
        }
        const std::optional<std::uint64_t> machine = MachineAddress(write.target, write.format.Map, write.format.Header);
        const std::int64_t raw = machine ? static_cast<std::int64_t>(*machine) - write.format.Offset : -1;
        const std::uint64_t limit = std::uint64_t{1} << write.format.Bits;
        if (!machine) {
            here("il testo a " + Hex(write.target) + " non ha un indirizzo " + std::string(MappingName(write.format.Map)));
            continue;
        }
        if (write.format.Bits == 16) {
            const std::uint64_t value = static_cast<std::uint64_t>(raw) & 0xFFFF;
            if (PointerTarget(value, write.format, write.slot) != write.target) {
                here("il puntatore a 16 bit a " + Hex(write.slot) + " non raggiunge il testo a " + Hex(write.target)
                     + ": è oltre il banco dove comincia la sua regione");
                continue;
            }
        } else if (raw < 0 || static_cast<std::uint64_t>(raw) >= limit) {
            here("il puntatore a " + Hex(write.slot) + " ripartirebbe da zero: il testo a " + Hex(write.target) + " è fuori dalla sua portata");
            continue;
        }
    }
    if (!result.Errors.empty())
        return result;

    for (const TextWrite& text : texts) {
        if (text.at + text.bytes.size() > result.Rom.size())
            result.Rom.resize(text.at + text.bytes.size(), '\0');
        result.Rom.replace(text.at, text.bytes.size(), text.bytes);
    }
    for (const PointerWrite& write : pointers) {
        const std::uint64_t value = *PointerValue(write.target, write.format);
        const std::string bytes = PointerBytes(value, write.format);
        result.Rom.replace(write.slot, bytes.size(), bytes);
    }
    // The report: each region's room, and the strings that grew most.
    for (const InsertResult::Region& region : result.Regions) {
        std::string line = "regione " + Hex(region.Start);
        if (region.Last)
            line += "-" + Hex(*region.Last) + ": " + std::to_string(region.Used) + " byte usati, "
                    + std::to_string(*region.Last + 1 - region.Start - region.Used) + " liberi";
        else
            line += ": " + std::to_string(region.Used) + " byte, senza limite";
        result.Report.push_back(line);
    }
    if (active) {
        struct Growth {
            std::size_t line;
            std::int64_t grew;
        };
        std::vector<Growth> growths;
        // An old string ends at its end code, or where another pointer led.
        std::ranges::sort(oldTargets);
        for (const Written& string : strings) {
            const auto next = std::ranges::upper_bound(oldTargets, string.at);
            const std::uint64_t limit = next != oldTargets.end() ? *next : rom.size();
            const std::uint64_t before = string.at < rom.size() ? StringEnd(rom, *active, string.at, limit) - string.at : 0;
            growths.push_back({string.line, static_cast<std::int64_t>(string.bytes) - static_cast<std::int64_t>(before)});
        }
        std::ranges::stable_sort(growths, [](const Growth& a, const Growth& b) { return a.grew > b.grew; });
        for (std::size_t i = 0; i < growths.size() && i < 5 && growths[i].grew > 0; ++i)
            result.Report.push_back("riga " + std::to_string(growths[i].line) + ": " + std::to_string(growths[i].grew) + " byte in più");
    }
    return result;
}

bool MakeIps(std::string_view from, std::string_view to, std::string& patch, std::string& error)
{
    constexpr std::uint64_t Limit = 0x1000000; // three-byte offsets
    if (to.size() > Limit || from.size() > Limit) {
        error = "IPS arriva al massimo a 16 MiB: usa --bps";
        return false;
    }
    patch = "PATCH";
    const auto put = [&patch](std::uint64_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            patch += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const auto differs = [&](std::size_t i) { return i >= from.size() || from[i] != to[i]; };
    for (std::size_t i = 0; i < to.size();) {
        if (!differs(i)) {
            ++i;
            continue;
        }
        // A run of changed bytes, bridging short stretches of unchanged ones.
        std::size_t end = i + 1;
        for (std::size_t gap = 0; end < to.size() && end - i < 0xFFFF; ++end) {
            gap = differs(end) ? 0 : gap + 1;
            if (gap > 5)
                break;
        }
        while (end > i + 1 && !differs(end - 1))
            --end;
        std::size_t start = i;
        // "EOF" as an offset would end the patch: start one byte earlier.
        if (start == 0x454F46)
            --start;
        const std::size_t length = std::min<std::size_t>(end - start, 0xFFFF);
        put(start, 3);
        put(length, 2);
        patch.append(to.substr(start, length));
        i = start + length;
    }
    patch += "EOF";
    if (to.size() < from.size())
        put(to.size(), 3);
    return true;
}

namespace {

void PutNumber(std::string& out, std::uint64_t data)
{
    for (;;) {
        const auto x = static_cast<unsigned char>(data & 0x7F);
        data >>= 7;
        if (data == 0) {
            out += static_cast<char>(0x80 | x);
            return;
        }
        out += static_cast<char>(x);
        --data;
    }
}

void PutCrc(std::string& out, std::string_view bytes)
{
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((crc >> (8 * i)) & 0xFF);
}

} // namespace

std::string MakeBps(std::string_view from, std::string_view to)
{
    std::string patch = "BPS1";
    PutNumber(patch, from.size());
    PutNumber(patch, to.size());
    PutNumber(patch, 0); // no metadata
    // Runs the source has at the same place are read from it; the rest is
    // the target's own bytes.
    for (std::size_t i = 0; i < to.size();) {
        const bool same = i < from.size() && from[i] == to[i];
        std::size_t end = i + 1;
        while (end < to.size() && (end < from.size() && from[end] == to[end]) == same)
            ++end;
        PutNumber(patch, ((end - i - 1) << 2) | (same ? 0 : 1));
        if (!same)
            patch.append(to.substr(i, end - i));
        i = end;
    }
    PutCrc(patch, from);
    PutCrc(patch, to);
    PutCrc(patch, patch);
    return patch;
}

} // namespace zelvane
