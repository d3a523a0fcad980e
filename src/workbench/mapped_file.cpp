// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/mapped_file.h"

#include <QFileDialog>

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
