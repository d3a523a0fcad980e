// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/mapped_file.h"

#include <QFileDialog>

#include <filesystem>

namespace zelvane {

QString ChooseGameFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Apri file"));
}

QString HexNumber(std::uint64_t value, int width)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, width, 16, QChar(u'0')).toUpper();
}

bool MappedFile::Open(const QString& path, QString& reason)
{
    // A pipe would wait for a writer, a device has no end: only files, and
    // the one open stays when another cannot be.
    std::error_code error;
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    if (std::filesystem::exists(file, error) && !std::filesystem::is_regular_file(file, error)) {
        reason = std::filesystem::is_directory(file, error) ? QStringLiteral("è una cartella")
                                                             : QStringLiteral("non è un file ma una pipe, un dispositivo o un socket");
        return false;
    }
    m_bytes = {};
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        reason = m_file.errorString();
        return false;
    }
    if (m_file.size() == 0)
        return true;
    const uchar* data = m_file.map(0, m_file.size());
    if (!data) {
        reason = m_file.errorString();
        return false;
    }
    m_bytes = std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(m_file.size()));
    return true;
}

} // namespace zelvane
