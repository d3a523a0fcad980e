// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/strict_table.h"

#include "document/code_pages.h"
#include "document/table_line.h"

#include <map>
#include <vector>

namespace zelvane {

std::string StrictTable(std::string_view fileBytes)
{
    std::string_view rest = fileBytes;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    const std::size_t firstEnd = rest.find_first_of("\r\n");
    const std::string lineEnd = firstEnd != std::string_view::npos && rest.substr(firstEnd).starts_with("\r\n") ? "\r\n" : "\n";
    // Each line that is a code's, and which line is each code's last.
    struct Line {
        std::string_view text;
        std::string code; // empty for a line of no code
        bool empty = false;
        bool bareLineMark = false;
    };
    std::vector<Line> lines;
    std::map<std::string, std::size_t> last;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        Line line{rest.substr(0, end), {}, false, false};
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + (rest.substr(end).starts_with("\r\n") ? 2 : 1));
        const TableLine kind = ClassifyLine(line.text);
        if (kind.kind == TableLine::Kind::Code || kind.kind == TableLine::Kind::Special) {
            line.code = std::string(1, static_cast<char>(kind.code));
            line.empty = kind.kind == TableLine::Kind::Code && kind.text.empty();
            line.bareLineMark = kind.kind == TableLine::Kind::Special && line.text.front() == '*' && kind.text.empty();
        } else if (kind.kind == TableLine::Kind::Extra && !line.text.starts_with('#') && !line.text.starts_with(';')
                   && !line.text.starts_with("//")) {
            if (const std::optional<MultiByteCode> code = ParseMultiByteCode(line.text)) {
                line.code = code->Code;
                line.empty = !code->Mark && code->Value.empty();
                line.bareLineMark = code->Mark == '*' && code->Tail.empty();
            }
        }
        if (!line.code.empty())
            last[line.code] = lines.size();
        lines.push_back(line);
    }
    std::string strict;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.code.empty() || line.empty || last[line.code] != i)
            continue;
        strict += line.text;
        if (line.bareLineMark)
            strict += "=<LINE>";
        strict += lineEnd;
    }
    return strict;
}

} // namespace zelvane
