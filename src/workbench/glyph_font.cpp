// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/glyph_font.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace zelvane {

namespace {

// The last files' layouts: most recent first.
constexpr int RememberedFiles = 20;

QString MemoryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/fonts.ini");
}

QString Key(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

} // namespace

GlyphFont::~GlyphFont()
{
    Remember();
}

bool GlyphFont::Open(const QString& path, QString& reason)
{
    // The file open until now is remembered as it was left: not at every
    // step of the hunt for a font, which the arrows make many times a second.
    Remember();
    if (!m_file.Open(path, reason))
        return false;
    Recall();
    emit changed();
    return true;
}

void GlyphFont::SetLayout(const FontLayout& layout, std::string firstCode, CodeOrder order)
{
    m_layout = layout;
    m_firstCode = std::move(firstCode);
    m_order = order;
    emit changed();
}

void GlyphFont::SetCount(std::size_t count)
{
    if (count == m_count)
        return;
    m_count = count;
    emit changed();
}

void GlyphFont::Remember() const
{
    if (!IsOpen())
        return;
    QSettings memory(MemoryFile(), QSettings::IniFormat);
    const QString key = Key(m_file.Name());
    QList<QVariantMap> files;
    const int size = memory.beginReadArray(QStringLiteral("files"));
    for (int i = 0; i < size; ++i) {
        memory.setArrayIndex(i);
        QVariantMap file;
        for (const QString& name : memory.childKeys())
            file.insert(name, memory.value(name));
        if (file.value(QStringLiteral("path")).toString() != key)
            files.append(file);
    }
    memory.endArray();
    files.prepend({{QStringLiteral("path"), key},
                   {QStringLiteral("address"), QVariant::fromValue(static_cast<qulonglong>(m_layout.Address))},
                   {QStringLiteral("format"), static_cast<int>(m_layout.Format)},
                   {QStringLiteral("width"), m_layout.Width},
                   {QStringLiteral("height"), m_layout.Height},
                   {QStringLiteral("code"), QByteArray::fromStdString(m_firstCode).toHex()},
                   {QStringLiteral("order"), static_cast<int>(m_order)},
                   {QStringLiteral("count"), QVariant::fromValue(static_cast<qulonglong>(m_count))}});
    files = files.mid(0, RememberedFiles);
    memory.beginWriteArray(QStringLiteral("files"), static_cast<int>(files.size()));
    for (int i = 0; i < files.size(); ++i) {
        memory.setArrayIndex(i);
        for (auto value = files[i].cbegin(); value != files[i].cend(); ++value)
            memory.setValue(value.key(), value.value());
    }
    memory.endArray();
}

void GlyphFont::Recall()
{
    QSettings memory(MemoryFile(), QSettings::IniFormat);
    const QString key = Key(m_file.Name());
    const int size = memory.beginReadArray(QStringLiteral("files"));
    for (int i = 0; i < size; ++i) {
        memory.setArrayIndex(i);
        if (memory.value(QStringLiteral("path")).toString() != key)
            continue;
        const int format = memory.value(QStringLiteral("format")).toInt();
        const int order = memory.value(QStringLiteral("order")).toInt();
        const std::string code = QByteArray::fromHex(memory.value(QStringLiteral("code")).toByteArray()).toStdString();
        if (format < 0 || format > static_cast<int>(PixelFormat::EightBpp) || order < 0 || order > 1 || code.empty())
            break;
        m_layout.Address = memory.value(QStringLiteral("address")).toULongLong();
        m_layout.Format = static_cast<PixelFormat>(format);
        m_layout.Width = std::clamp(memory.value(QStringLiteral("width")).toInt(), 1, 64);
        m_layout.Height = std::clamp(memory.value(QStringLiteral("height")).toInt(), 1, 64);
        m_firstCode = code;
        m_order = static_cast<CodeOrder>(order);
        m_count = std::max<qulonglong>(1, memory.value(QStringLiteral("count")).toULongLong());
        break;
    }
    memory.endArray();
}

std::optional<GlyphImage> GlyphFont::GlyphOf(std::string_view code) const
{
    if (!IsOpen())
        return std::nullopt;
    const std::optional<std::size_t> index = GlyphIndex(m_firstCode, m_order, code);
    if (!index || *index >= m_count)
        return std::nullopt;
    GlyphImage glyph = Glyph(*index);
    if (glyph.Pixels.empty())
        return std::nullopt;
    return glyph;
}

QImage GlyphFont::Picture(const GlyphImage& glyph)
{
    QImage picture(glyph.Width, glyph.Height, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    if (glyph.Pixels.empty())
        return picture;
    const std::uint8_t brightest = *std::ranges::max_element(glyph.Pixels);
    for (int y = 0; y < glyph.Height; ++y) {
        for (int x = 0; x < glyph.Width; ++x) {
            const std::uint8_t colour = glyph.Pixels[static_cast<std::size_t>(y * glyph.Width + x)];
            if (colour == 0)
                continue;
            // The highest colour index darkest: most fonts draw with it.
            const int grey = brightest > 1 ? 160 - 160 * colour / brightest : 0;
            picture.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return picture;
}

} // namespace zelvane
