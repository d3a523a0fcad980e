// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/dump.h"

#include "document/code_pages.h"

#include <algorithm>
#include <array>
#include <climits>
#include <set>

namespace zelvane {

namespace {

std::string HexAddress(std::uint64_t value)
{
    return "0x" + HexDigits(value);
}

// A piece of a line: a code's bytes and the text it is written as.
struct Piece {
    std::string Bytes;
    std::string Text;
    bool Raw = false;
};

std::string RawText(std::string_view bytes)
{
    std::string text;
    for (const char byte : bytes)
        text += RawToken(static_cast<unsigned char>(byte));
    return text;
}

std::string Render(const std::vector<Piece>& pieces, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += pieces[i].Raw ? RawText(pieces[i].Bytes) : pieces[i].Text;
    return text;
}

// A line an inserter would not take as text: blank, or a command or a comment.
bool ReadsAsNoText(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return true;
    line.remove_prefix(first);
    return line.starts_with('#') || line.starts_with("//");
}

// The line's pieces made to encode back to their bytes: the first piece
// that would not, or the first of a line that would read as no text, is
// written as raw bytes, until none is left.
std::string FitLine(const ScriptTable& table, std::vector<Piece>& pieces)
{
    std::string bytes;
    for (const Piece& piece : pieces)
        bytes += piece.Bytes;
    for (std::size_t round = 0; round <= pieces.size(); ++round) {
        const std::string text = Render(pieces, pieces.size());
        if (ReadsAsNoText(text)) {
            const auto first = std::ranges::find_if(pieces, [](const Piece& piece) { return !piece.Raw; });
            if (first != pieces.end()) {
                first->Raw = true;
                continue;
            }
        }
        const ScriptTable::Encoded whole = table.Encode(text);
        if (!whole.BadColumn && whole.Bytes == bytes)
            return text;
        // The first piece whose line up to it encodes otherwise.
        std::string expected;
        bool changed = false;
        for (std::size_t k = 0; k < pieces.size() && !changed; ++k) {
            expected += pieces[k].Bytes;
            if (pieces[k].Raw)
                continue;
            const ScriptTable::Encoded prefix = table.Encode(Render(pieces, k + 1));
            if (prefix.BadColumn || prefix.Bytes != expected)
                changed = pieces[k].Raw = true;
        }
        if (!changed)
            break;
    }
    return Render(pieces, pieces.size());
}

} // namespace

std::uint64_t StringEnd(std::string_view file, const ScriptTable& table, std::uint64_t start, std::uint64_t limit)
{
    limit = std::min<std::uint64_t>(limit, file.size());
    std::uint64_t at = start;
    while (at < limit) {
        const ScriptCode* code = table.CodeAt(file.substr(0, limit), at);
        at += code ? code->Bytes.size() : 1;
        if (code && code->Kind == CodeKind::EndOfLine)
            break;
    }
    return at;
}

ReadBlockResult ReadBlock(std::string_view file, const ScriptTable& table, const Block& block)
{
    ReadBlockResult result;
    result.block = block;
    std::vector<std::uint64_t> starts;
    if (block.IsText) {
        const std::uint64_t last = std::min<std::uint64_t>(block.TextEnd + 1, file.size());
        if (block.TextStart >= file.size())
            result.Errors.push_back("il testo comincia a " + HexAddress(block.TextStart) + ", oltre la fine del file");
        for (std::uint64_t at = block.TextStart; at < last;) {
            const std::uint64_t end = StringEnd(file, table, at, last);
            result.Texts.push_back({at, end});
            at = end;
        }
        return result;
    }
    for (std::uint64_t i = 0; i < block.Count; ++i) {
        const std::uint64_t slot = block.Pointers + i * block.Format.Stride;
        BlockPointer pointer{slot, i, 0, std::nullopt};
        const std::optional<std::uint64_t> value = ReadPointer(file, slot, block.Format);
        if (!value) {
            result.Errors.push_back("slot " + std::to_string(i) + " (" + HexAddress(slot) + "): oltre la fine del file");
            continue;
        }
        pointer.Value = *value;
        pointer.Target = PointerTarget(*value, block.Format, slot);
        if (!pointer.Target || *pointer.Target >= file.size()) {
            result.Errors.push_back("slot " + std::to_string(i) + " (" + HexAddress(slot) + "): il suo valore " + HexAddress(*value)
                                    + (pointer.Target ? " porta a " + HexAddress(*pointer.Target) + ", fuori dal file"
                                                      : " non è un indirizzo del file"));
            pointer.Target.reset();
        } else {
            starts.push_back(*pointer.Target);
        }
        result.Pointers.push_back(pointer);
    }
    std::ranges::sort(starts);
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (const std::uint64_t start : starts) {
        const std::uint64_t end = StringEnd(file, table, start, file.size());
        if (!result.Texts.empty() && start < result.Texts.back().End)
            result.Texts.back().End = std::max(result.Texts.back().End, end); // a pointer into a string
        else
            result.Texts.push_back({start, end});
    }
    return result;
}

std::vector<ScriptText> JoinTexts(const std::vector<ReadBlockResult>& blocks)
{
    std::vector<ScriptText> all;
    for (const ReadBlockResult& block : blocks)
        all.insert(all.end(), block.Texts.begin(), block.Texts.end());
    std::ranges::sort(all, [](const ScriptText& a, const ScriptText& b) { return a.Start < b.Start; });
    std::vector<ScriptText> joined;
    for (const ScriptText& text : all) {
        if (!joined.empty() && text.Start < joined.back().End)
            joined.back().End = std::max(joined.back().End, text.End);
        else
            joined.push_back(text);
    }
    return joined;
}

std::vector<std::string> TextLines(std::string_view file, const ScriptTable& table, std::uint64_t start, std::uint64_t end)
{
    std::vector<std::string> lines;
    std::vector<Piece> pieces;
    const auto flush = [&] {
        if (!pieces.empty())
            lines.push_back(FitLine(table, pieces));
        pieces.clear();
    };
    // A code that would pass the end (a pointer leads into its middle) is
    // no code here: its bytes are raw.
    const std::string_view text = file.substr(0, end);
    for (std::uint64_t at = start; at < end;) {
        const ScriptCode* code = table.CodeAt(text, at);
        const std::uint64_t length = code ? code->Bytes.size() : 1;
        pieces.push_back({std::string(file.substr(at, length)), code ? code->Text : std::string(), code == nullptr});
        at += length;
        if (code && code->Ends())
            flush();
    }
    flush();
    return lines;
}

ScriptPlan PlanScript(std::string_view file, const ScriptTable& table, const std::vector<ReadBlockResult>& blocks)
{
    ScriptPlan plan;
    plan.Regions.clear();
    const std::vector<ScriptText> texts = JoinTexts(blocks);
    for (std::size_t i = 0; i < texts.size();) {
        std::size_t last = i;
        while (last + 1 < texts.size() && texts[last + 1].Start == texts[last].End)
            ++last;
        plan.Regions.push_back({texts[i].Start, texts[last].End});
        i = last + 1;
    }
    // Where rows start: the regions' and strings' starts and every target.
    std::map<std::uint64_t, std::vector<std::pair<std::size_t, std::uint64_t>>> starts;
    for (const ScriptText& region : plan.Regions)
        starts[region.Start];
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        for (const ScriptText& text : blocks[b].Texts)
            starts[text.Start];
        for (const BlockPointer& pointer : blocks[b].Pointers) {
            if (pointer.Target)
                starts[*pointer.Target].emplace_back(b, pointer.Slot);
        }
    }
    std::size_t region = 0;
    for (auto at = starts.begin(); at != starts.end(); ++at) {
        while (region < plan.Regions.size() && plan.Regions[region].End <= at->first)
            ++region;
        if (region == plan.Regions.size() || at->first < plan.Regions[region].Start)
            continue;
        const auto next = std::next(at);
        const std::uint64_t end = next != starts.end() && next->first < plan.Regions[region].End ? next->first : plan.Regions[region].End;
        ScriptRow row{at->first, end, at->second, region, TextLines(file, table, at->first, end)};
        std::ranges::sort(row.Pointers, [](const auto& a, const auto& b) { return a.second < b.second; });
        plan.Rows.push_back(std::move(row));
    }
    return plan;
}

std::string WriteScript(std::string_view file, const ScriptTable& table, const std::vector<ReadBlockResult>& blocks,
                        const std::string& tablePath, const std::vector<std::vector<std::string>>& translated)
{
    std::string script;
    const auto line = [&script](const std::string& text) {
        script += text;
        script += '\n';
    };
    line("#VAR(Table, TABLE)");
    line("#ADDTBL(\"" + tablePath + "\", Table)");
    line("#ACTIVETBL(Table)");
    // Each block's pointer, made with its header.
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (blocks[b].block.IsText)
            continue;
        const PointerFormat& format = blocks[b].block.Format;
        const std::string name = "Ptr" + std::to_string(b + 1);
        line("");
        line("#VAR(" + name + ", CUSTOMPOINTER)");
        line("#HDR(" + DollarHex(static_cast<std::int64_t>(format.Header)) + ")");
        line("#CREATEPTR(" + name + ", \"" + std::string(MappingName(format.Map)) + "\", " + DollarHex(format.Offset) + ", "
             + std::to_string(format.Bits) + ")");
    }
    const ScriptPlan plan = PlanScript(file, table, blocks);
    bool bigEndian = false;
    std::size_t region = plan.Regions.size();
    for (std::size_t r = 0; r < plan.Rows.size(); ++r) {
        const ScriptRow& row = plan.Rows[r];
        if (row.Region != region) {
            region = row.Region;
            line("");
            line("#JMP(" + DollarHex(static_cast<std::int64_t>(plan.Regions[region].Start)) + ", "
                 + DollarHex(static_cast<std::int64_t>(plan.Regions[region].End - 1)) + ")");
        }
        // The byte order in force at each write, in the order they come.
        for (const auto& [block, slot] : row.Pointers) {
            if (blocks[block].block.Format.BigEndian != bigEndian) {
                bigEndian = blocks[block].block.Format.BigEndian;
                line(std::string("#ENDIANSWAP(\"") + (bigEndian ? "TRUE" : "FALSE") + "\")");
            }
            line("#WRITE(Ptr" + std::to_string(block + 1) + ", " + DollarHex(static_cast<std::int64_t>(slot)) + ")");
        }
        const bool ownLines = r < translated.size() && !translated[r].empty();
        for (const std::string& text : ownLines ? translated[r] : row.Lines)
            line(text);
    }
    if (bigEndian)
        line("#ENDIANSWAP(\"FALSE\")");
    return script;
}

Coverage MeasureCoverage(std::string_view file, const ScriptTable& table, const std::vector<ScriptText>& texts)
{
    Coverage coverage;
    // Counted by code and by byte first, named once at the end.
    std::vector<std::uint64_t> counts(table.Codes().size(), 0);
    std::array<std::uint64_t, 256> unknownFirst;
    unknownFirst.fill(UINT64_MAX);
    for (const ScriptText& text : texts) {
        const std::string_view part = file.substr(0, text.End);
        for (std::uint64_t at = text.Start; at < text.End;) {
            const ScriptCode* code = table.CodeAt(part, at);
            if (!code) {
                ++coverage.Unknown;
                std::uint64_t& first = unknownFirst[static_cast<unsigned char>(file[at])];
                first = std::min(first, at);
                ++at;
                continue;
            }
            (code->Ends() ? coverage.Control : coverage.Text) += code->Bytes.size();
            ++counts[static_cast<std::size_t>(code - table.Codes().data())];
            at += code->Bytes.size();
        }
        coverage.Bytes += text.End - text.Start;
    }
    for (std::size_t byte = 0; byte < unknownFirst.size(); ++byte) {
        if (unknownFirst[byte] != UINT64_MAX)
            coverage.UnknownFirst.emplace(static_cast<unsigned char>(byte), unknownFirst[byte]);
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const ScriptCode& code = table.Codes()[i];
        if (counts[i] > 0)
            coverage.Counts.emplace(code.Bytes, counts[i]);
        else
            coverage.Unused.push_back(&code);
    }
    return coverage;
}

} // namespace zelvane
