// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <string_view>

class QWidget;

namespace zelvane {

// A file read through a memory map, never loaded whole: a ROM or a disc
// image of any size the address space holds.
class MappedFile {
public:
    // False, with the system's reason, when it cannot be mapped.
    bool Open(const QString& path, QString& reason);
    [[nodiscard]] std::string_view Bytes() const { return m_bytes; }
    [[nodiscard]] QString Name() const { return m_file.fileName(); }

private:
    QFile m_file;
    std::string_view m_bytes;
};

// The workbench windows' "&Apri file..." dialog; empty when cancelled.
[[nodiscard]] QString ChooseGameFile(QWidget* parent);

// "0x" and upper-case hexadecimal digits, at least `width` of them.
[[nodiscard]] QString HexNumber(std::uint64_t value, int width = 6);

} // namespace zelvane
