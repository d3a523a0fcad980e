// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/dump.h"
#include "script/insert.h"
#include "script/pointer_search.h"
#include "script/pointers.h"
#include "script/script_table.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace zelvane;

class ScriptTest : public QObject {
    Q_OBJECT

private slots:
    void mappings_data();
    void mappings();
    void pointer_values_data();
    void pointer_values();
    void blocks_as_written();
    void dump_of_a_file_made_by_hand();
    void raw_bytes_where_text_would_read_otherwise_data();
    void raw_bytes_where_text_would_read_otherwise();
    void pointers_found_among_decoys();
    void coverage_adds_up();
    void encoder_data();
    void encoder();
    void overflow_by_one_writes_nothing();
    void longer_translation_keeps_shared_and_mid_pointers();
    void every_mapping_round_trips_data();
    void every_mapping_round_trips();
    void ips_and_bps_apply_data();
    void ips_and_bps_apply();

private:
    // A table file and a script beside it.
    std::string Write(const char* name, const std::string& bytes)
    {
        const std::string path = m_dir.filePath(QLatin1String(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static ScriptTable Table(const std::string& bytes)
    {
        std::string error;
        std::optional<ScriptTable> table = ScriptTable::Read(bytes, error);
        if (!table)
            qFatal("table: %s", error.c_str());
        return *table;
    }
    QTemporaryDir m_dir;
};

// Worked out by hand from the formulas: x is the offset less the header.
void ScriptTest::mappings_data()
{
    QTest::addColumn<QString>("map");
    QTest::addColumn<qulonglong>("header");
    QTest::addColumn<qulonglong>("offset");
    QTest::addColumn<qulonglong>("machine");
    QTest::newRow("linear") << "LINEAR" << 0ull << 0x1234ull << 0x1234ull;
    QTest::newRow("lorom_bank_0_end") << "LOROM00" << 0ull << 0x7FFFull << 0xFFFFull;
    QTest::newRow("lorom_bank_1_start") << "LOROM00" << 0ull << 0x8000ull << 0x18000ull;
    QTest::newRow("lorom_copier_header") << "LOROM00" << 0x200ull << 0x8200ull << 0x18000ull;
    QTest::newRow("lorom80") << "LOROM80" << 0ull << 0x12345ull << 0x82A345ull;
    QTest::newRow("hirom") << "HIROM" << 0ull << 0x123456ull << 0xD23456ull;
    QTest::newRow("gb_home_bank") << "GB" << 0ull << 0x3FFFull << 0x3FFFull;
    QTest::newRow("gb_bank_1") << "GB" << 0ull << 0x4000ull << 0x14000ull;
    QTest::newRow("gb_bank_2") << "GB" << 0x10ull << 0x8010ull << 0x24000ull;
}

void ScriptTest::mappings()
{
    QFETCH(QString, map);
    QFETCH(qulonglong, header);
    QFETCH(qulonglong, offset);
    QFETCH(qulonglong, machine);
    const Mapping mapping = *ParseMapping(map.toStdString());
    QCOMPARE(MachineAddress(offset, mapping, header), std::optional<std::uint64_t>(machine));
    QCOMPARE(FileOffsetOf(machine, mapping, header), std::optional<std::uint64_t>(offset));
}

void ScriptTest::pointer_values_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<qulonglong>("target");
    QTest::addColumn<QByteArray>("stored");
    // 16-bit, a negative offset: machine 0x100 less -0x10 is 0x110.
    QTest::newRow("negative_offset") << "pointers=0,count=1,offset=-0x10" << 0x100ull << QByteArray("\x10\x01", 2);
    QTest::newRow("16_bank_of_the_table") << "pointers=0,count=1,offset=-0x10" << 0x10100ull << QByteArray("\x10\x01", 2);
    QTest::newRow("big_endian_24") << "pointers=0,count=1,bits=24,endian=big,map=HIROM" << 0x10203ull << QByteArray("\xC1\x02\x03", 3);
    QTest::newRow("lorom_24_header") << "pointers=0,count=1,bits=24,map=LOROM80,header=0x200" << 0x8200ull << QByteArray("\x00\x80\x81", 3);
    QTest::newRow("gb_16_bank_3") << "pointers=0,count=1,map=GB,bank=3" << 0xC123ull << QByteArray("\x23\x41", 2);
    QTest::newRow("gb_16_home") << "pointers=0,count=1,map=GB,bank=3" << 0x0123ull << QByteArray("\x23\x01", 2);
    QTest::newRow("32_with_base") << "pointers=0,count=1,bits=32,offset=-0x08000000" << 0x1234ull << QByteArray("\x34\x12\x00\x08", 4);
}

void ScriptTest::pointer_values()
{
    QFETCH(QString, written);
    QFETCH(qulonglong, target);
    QFETCH(QByteArray, stored);
    std::string error;
    const std::optional<Block> block = ParseBlock(written.toStdString(), error);
    QVERIFY2(block, error.c_str());
    const std::optional<std::uint64_t> value = PointerValue(target, block->Format);
    QVERIFY(value);
    QCOMPARE(QByteArray::fromStdString(PointerBytes(*value, block->Format)), stored);
    // Read back from the bytes, the pointer leads to the text.
    // Read back from the bytes, the pointer leads to the text; a 16-bit one
    // reads in the bank of the table, here at 0x10000 or at 0.
    const std::optional<std::uint64_t> read = ReadPointer(stored.toStdString(), 0, block->Format);
    QCOMPARE(PointerTarget(*read, block->Format, target & 0x10000), std::optional<std::uint64_t>(target));
}

void ScriptTest::blocks_as_written()
{
    std::string error;
    const std::optional<Block> block = ParseBlock("pointers=$1000,count=3,stride=4,offset=-16", error);
    QVERIFY(block);
    QCOMPARE(BlockText(*block), std::string("pointers=0x1000,count=3,bits=16,endian=little,stride=4,map=LINEAR,offset=-0x10,header=0x0,bank=0x0"));
    QCOMPARE(BlockText(*ParseBlock(BlockText(*block), error)), BlockText(*block));
    for (const char* bad : {"pointers=1", "count=2", "pointers=1,count=2,bits=8", "pointers=1,count=2,map=NES", "text=9-3", "pointers=x,count=1"})
        QVERIFY2(!ParseBlock(bad, error), bad);
}

namespace {
// A one-byte table with a two-byte end code, a bare end code and a marker.
const std::string HandTable = "41=A\n42=B\n43=C\n20= \n/00\n/F1F2=<END2>\n*0A=<BR>\n";
} // namespace

void ScriptTest::dump_of_a_file_made_by_hand()
{
    // Strings at 0x20 "AB<END>", 0x23 "C<BR>A<END2>" (a pointer into it at
    // 0x25), 0x28 "B" 7F <END>; five pointers, out of order, one shared.
    std::string file(0x20, '\xFF');
    file += std::string("AB\x00", 3) + "C\x0A" "A\xF1\xF2" + "B\x7F" + std::string(1, '\0');
    const std::string pointers = std::string("\x23\x00\x20\x00\x28\x00\x25\x00\x20\x00", 10);
    file.replace(0, pointers.size(), pointers);
    const ScriptTable table = Table(HandTable);
    std::string error;
    const ReadBlockResult block = ReadBlock(file, table, *ParseBlock("pointers=0,count=5", error));
    QVERIFY(block.Errors.empty());
    const std::string script = WriteScript(file, table, {block}, "hand.tbl");
    QCOMPARE(script, std::string("#VAR(Table, TABLE)\n#ADDTBL(\"hand.tbl\", Table)\n#ACTIVETBL(Table)\n\n"
                                 "#VAR(Ptr1, CUSTOMPOINTER)\n#HDR($0)\n#CREATEPTR(Ptr1, \"LINEAR\", $0, 16)\n\n"
                                 "#JMP($20, $2A)\n#WRITE(Ptr1, $2)\n#WRITE(Ptr1, $8)\nAB<END>\n"
                                 "#WRITE(Ptr1, $0)\nC<BR>\n#WRITE(Ptr1, $6)\nA<END2>\n#WRITE(Ptr1, $4)\nB<$7F><END>\n"));
    // A pointer outside the file is named with its slot.
    std::string far = file;
    far[6] = '\x7F';
    const ReadBlockResult bad = ReadBlock(far, table, *ParseBlock("pointers=0,count=5", error));
    QCOMPARE(bad.Errors.size(), std::size_t{1});
    QVERIFY(bad.Errors[0].starts_with("slot 3 "));
    // And the script goes back as the file was.
    const std::string scriptPath = Write("hand.txt", script);
    Write("hand.tbl", HandTable);
    const InsertResult inserted = InsertScript(file, script, scriptPath);
    QVERIFY(inserted.Errors.empty());
    QVERIFY(inserted.Rom == file);
}

void ScriptTest::raw_bytes_where_text_would_read_otherwise_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("line");
    const QByteArray end("\n/00\n");
    QTest::newRow("two_codes_one_value") << "10=a\n11=a" + end << QByteArray("\x10\x11\x00", 3) << QByteArray("a<$11><END>");
    QTest::newRow("two_letters_and_their_code") << "12=th\n13=t\n14=h" + end << QByteArray("\x13\x14\x00", 3) << QByteArray("t<$14><END>");
    QTest::newRow("game_text_like_a_raw_byte") << "28=(\n24=$\n35=5\n30=0\n29=)" + end << QByteArray("\x28\x24\x35\x30\x29\x00", 6)
                                               << QByteArray("($50<$29><END>");
    QTest::newRow("line_like_a_command") << "23=#\n41=A" + end << QByteArray("\x23\x41\x00", 3) << QByteArray("<$23>A<END>");
    QTest::newRow("line_like_a_comment") << "2F=/\n41=A\n20= " + end << QByteArray("  \x2F\x2F\x41\x00", 6) << QByteArray("<$20> //A<END>");
    QTest::newRow("blank_line_at_the_end") << "20= " + end << QByteArray("  ") << QByteArray("<$20> ");
}

void ScriptTest::raw_bytes_where_text_would_read_otherwise()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, line);
    const ScriptTable codec = Table(table.toStdString());
    const std::string file = bytes.toStdString();
    const std::vector<std::string> lines = TextLines(file, codec, 0, file.size());
    QCOMPARE(lines.size(), std::size_t{1});
    QCOMPARE(QByteArray::fromStdString(lines.front()), line);
    QCOMPARE(QByteArray::fromStdString(codec.Encode(lines.front()).Bytes), bytes);
}

void ScriptTest::pointers_found_among_decoys()
{
    // Strings of "AB<END>" from 0x100; a table of six 16-bit pointers at
    // 0x40 with a 2-byte gap between them (stride 4); decoys: the first
    // string's address alone at 0x10, and a run of values that lead to no
    // string start.
    const ScriptTable table = Table(HandTable);
    std::string file(0x200, '\x55');
    for (int i = 0; i < 8; ++i)
        file.replace(0x100 + 3 * i, 3, std::string("AB\x00", 3));
    for (int i = 0; i < 6; ++i) {
        file[0x40 + 4 * i] = static_cast<char>(3 * i);
        file[0x41 + 4 * i] = 0x01;
    }
    file[0x10] = 0x03;
    file[0x11] = 0x01;
    for (int i = 0; i < 6; ++i)
        file.replace(0x80 + 2 * i, 2, std::string("\x01\x01", 2));
    const std::vector<FoundTable> found = FindPointerTables(file, table, 0x103);
    QVERIFY(!found.empty());

    QCOMPARE(BlockText(found.front().block), std::string("pointers=0x40,count=6,bits=16,endian=little,stride=4,map=LINEAR,offset=0x0,header=0x0,bank=0x0"));
}

void ScriptTest::coverage_adds_up()
{
    const ScriptTable table = Table(HandTable);
    const std::string file = std::string("AB\x7F\x00", 4) + "C\x0A\x7E\x7F\xF1\xF2";
    const Coverage coverage = MeasureCoverage(file, table, {{0, 4}, {4, 10}});
    QCOMPARE(coverage.Bytes, std::uint64_t{10});
    QCOMPARE(coverage.Text, std::uint64_t{3});
    QCOMPARE(coverage.Control, std::uint64_t{4});
    QCOMPARE(coverage.Unknown, std::uint64_t{3});
    QCOMPARE(coverage.Text + coverage.Control + coverage.Unknown, coverage.Bytes);
    QCOMPARE(coverage.UnknownFirst.at(0x7F), std::uint64_t{2});
    QCOMPARE(coverage.Unused.size(), std::size_t{1}); // 20, the blank
}

void ScriptTest::encoder_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("badColumn");
    QTest::newRow("longest_match") << QByteArray("the") << QByteArray("\x12\x45", 2) << 0;
    QTest::newRow("first_line_wins") << QByteArray("x") << QByteArray("\x20", 1) << 0;
    QTest::newRow("raw_bytes_both_ways") << QByteArray("<$7F>($80)") << QByteArray("\x7F\x80", 2) << 0;
    QTest::newRow("markers") << QByteArray("t<END><LINE><fine>") << QByteArray("\x13\x00\x01\xFF", 4) << 0;
    QTest::newRow("shift_jis_kana") << QByteArray("\x82\xA0\x83\x41") << QByteArray("\x82\xA0\x83\x41") << 0;
    QTest::newRow("unwritable_character") << QByteArray("tq") << QByteArray() << 2;
    QTest::newRow("columns_count_characters") << QByteArray("\x82\xA0\x82\xA2q") << QByteArray() << 3;
}

void ScriptTest::encoder()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, bytes);
    QFETCH(int, badColumn);
    // 21=x comes after 20=x in the file: 20 writes x.
    const ScriptTable table = Table("12=th\n13=t\n14=h\n45=e\n20=x\n21=x\n/00\n*01\n/FF=<fine>\n82A0=\x82\xA0\n82A2=\x82\xA2\n"
                                    "82A4=\x82\xA4\n82A6=\x82\xA6\n82A8=\x82\xA8\n8341=\x83\x41\n41=A\n");
    QCOMPARE(table.Encoding(), TextEncoding::ShiftJis);
    const ScriptTable::Encoded encoded = table.Encode(line.toStdString());
    QCOMPARE(encoded.BadColumn.value_or(0), std::size_t(badColumn));
    if (badColumn == 0)
        QCOMPARE(QByteArray::fromStdString(encoded.Bytes), bytes);
}

void ScriptTest::overflow_by_one_writes_nothing()
{
    Write("one.tbl", HandTable);
    const std::string script = "#VAR(Table, TABLE)\n#ADDTBL(\"one.tbl\", Table)\n#ACTIVETBL(Table)\n#JMP($4, $7)\nAB\n// the next passes $7 by one\nCA<END>\nAX?\n#VAR(Table, TABLE)\n";
    const std::string path = Write("one.txt", script);
    const InsertResult result = InsertScript(std::string(16, '\0'), script, path);
    QCOMPARE(result.Errors.size(), std::size_t{3});
    QVERIFY(result.Errors[0].starts_with(path + ":8: column 2: "));
    QVERIFY(result.Errors[1].starts_with(path + ":9: #VAR")); // a name declared twice
    QVERIFY2(result.Errors[2].starts_with(path + ":7: ") && result.Errors[2].find("di 1 byte in tutto") != std::string::npos,
             result.Errors[2].c_str());
}

void ScriptTest::longer_translation_keeps_shared_and_mid_pointers()
{
    // The hand-made file's strings translated one and a half times longer
    // into free room at 0x40: each pointer, followed, reads the new text.
    Write("long.tbl", HandTable);
    std::string file(0x20, '\xFF');
    file += std::string("AB\x00", 3) + "C\x0A" "A\xF1\xF2" + "B\x7F" + std::string(1, '\0');
    file.replace(0, 10, std::string("\x23\x00\x20\x00\x28\x00\x25\x00\x20\x00", 10));
    file += std::string(0x40, '\0');
    const std::string script = "#VAR(Table, TABLE)\n#ADDTBL(\"long.tbl\", Table)\n#ACTIVETBL(Table)\n#VAR(Ptr, CUSTOMPOINTER)\n"
                               "#CREATEPTR(Ptr, \"LINEAR\", $0, 16)\n#JMP($40, $5F)\n#WRITE(Ptr, $2)\n#WRITE(Ptr, $8)\nABBA<END>\n"
                               "#WRITE(Ptr, $0)\nCC<BR>\n#WRITE(Ptr, $6)\nAAB<END2>\n#WRITE(Ptr, $4)\nBAC<$7F><END>\n";
    const InsertResult result = InsertScript(file, script, Write("long.txt", script));
    QVERIFY(result.Errors.empty());
    const ScriptTable table = Table(HandTable);
    std::string error;
    const ReadBlockResult block = ReadBlock(result.Rom, table, *ParseBlock("pointers=0,count=5", error));
    QStringList read;
    for (const BlockPointer& pointer : block.Pointers) {
        const std::uint64_t end = StringEnd(result.Rom, table, *pointer.Target, result.Rom.size());
        read << QString::fromStdString(TextLines(result.Rom, table, *pointer.Target, end).back());
    }
    QCOMPARE(read, (QStringList{"AAB<END2>", "ABBA<END>", "BAC<$7F><END>", "AAB<END2>", "ABBA<END>"}));
    QCOMPARE(result.Rom.substr(0x20, 0x0D), file.substr(0x20, 0x0D)); // the old text stays
}

void ScriptTest::every_mapping_round_trips_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<qulonglong>("text");
    QTest::newRow("linear_16_offset") << "pointers=0x10,count=2,offset=-0x100" << 0x400ull;
    QTest::newRow("lorom00_24") << "pointers=0x10,count=2,bits=24,map=LOROM00,header=0x200" << 0x8300ull;
    QTest::newRow("lorom80_24_big") << "pointers=0x10,count=2,bits=24,map=LOROM80,endian=big" << 0x8100ull;
    QTest::newRow("hirom_24") << "pointers=0x10,count=2,bits=24,map=HIROM" << 0x9000ull;
    QTest::newRow("gb_16_other_bank") << "pointers=0x10,count=2,map=GB,bank=1" << 0x4100ull;
    QTest::newRow("linear_32_stride_6") << "pointers=0x10,count=2,bits=32,stride=6,offset=-0x08000000" << 0x500ull;
}

void ScriptTest::every_mapping_round_trips()
{
    QFETCH(QString, written);
    QFETCH(qulonglong, text);
    std::string error;
    const Block block = *ParseBlock(written.toStdString(), error);
    std::string file(0xA000, '\0');
    file.replace(text, 6, std::string("AB\x00" "CA\x00", 6));
    for (std::uint64_t i = 0; i < 2; ++i)
        file.replace(block.Pointers + i * block.Format.Stride, block.Format.Bits / 8,
                     PointerBytes(*PointerValue(text + 3 * i, block.Format), block.Format));
    const ScriptTable table = Table(HandTable);
    const ReadBlockResult read = ReadBlock(file, table, block);
    QVERIFY(read.Errors.empty());
    QCOMPARE(read.Texts.size(), std::size_t{2});
    const std::string script = WriteScript(file, table, {read}, "map.tbl");
    Write("map.tbl", HandTable);
    const InsertResult inserted = InsertScript(file, script, Write("map.txt", script));
    QVERIFY(inserted.Errors.empty());
    QVERIFY(inserted.Rom == file);
}

namespace {
// Patches applied as their formats describe them, independently of the writer.
std::string ApplyIps(std::string file, const std::string& patch)
{
    std::size_t at = 5;
    const auto number = [&](int bytes) {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | static_cast<unsigned char>(patch[at++]);
        return value;
    };
    while (patch.compare(at, 3, "EOF") != 0) {
        const std::uint64_t offset = number(3), size = number(2);
        if (file.size() < offset + size)
            file.resize(offset + size, '\0');
        file.replace(offset, size, patch.substr(at, size));
        at += size;
    }
    at += 3;
    if (at + 3 <= patch.size())
        file.resize(number(3));
    return file;
}

std::string ApplyBps(const std::string& source, const std::string& patch)
{
    std::size_t at = 4;
    const auto number = [&] {
        std::uint64_t data = 0, shift = 1;
        for (;;) {
            const auto x = static_cast<unsigned char>(patch[at++]);
            data += (x & 0x7F) * shift;
            if (x & 0x80)
                return data;
            shift <<= 7;
            data += shift;
        }
    };
    number();
    std::string target(number(), '\0');
    at += number();
    std::size_t output = 0, sourceAt = 0, targetAt = 0;
    while (at < patch.size() - 12) {
        const std::uint64_t action = number();
        const std::uint64_t length = (action >> 2) + 1;
        const auto relative = [&] {
            const std::uint64_t data = number();
            return (data & 1 ? -1 : 1) * static_cast<std::int64_t>(data >> 1);
        };
        for (std::uint64_t i = 0; i < length; ++i) {
            switch (action & 3) {
            case 0: target[output] = source[output]; break;
            case 1: target[output] = patch[at++]; break;
            default: break;
            }
            ++output;
        }
        if ((action & 3) >= 2) {
            output -= length; // the copies, which this writer never makes
            if ((action & 3) == 2)
                sourceAt = static_cast<std::size_t>(static_cast<std::int64_t>(sourceAt) + relative());
            else
                targetAt = static_cast<std::size_t>(static_cast<std::int64_t>(targetAt) + relative());
            for (std::uint64_t i = 0; i < length; ++i)
                target[output++] = (action & 3) == 2 ? source[sourceAt++] : target[targetAt++];
        }
    }
    return target;
}
} // namespace

void ScriptTest::ips_and_bps_apply_data()
{
    QTest::addColumn<qulonglong>("size");
    QTest::addColumn<qulonglong>("newSize");
    QTest::addColumn<QList<qulonglong>>("changes");
    QTest::newRow("a_change_at_eof") << 0x460000ull << 0x460000ull << QList<qulonglong>{0x454F46, 0x454F47, 0x10};
    QTest::newRow("shrinks") << 0x1000ull << 0x800ull << QList<qulonglong>{0x10};
    QTest::newRow("grows_with_a_long_run") << 0x100ull << 0x20100ull << QList<qulonglong>{0x80};
}

void ScriptTest::ips_and_bps_apply()
{
    QFETCH(qulonglong, size);
    QFETCH(qulonglong, newSize);
    QFETCH(QList<qulonglong>, changes);
    std::string from(size, '\0');
    for (std::size_t i = 0; i < from.size(); ++i)
        from[i] = static_cast<char>(i * 7);
    std::string to = from;
    to.resize(newSize, '\x33');
    for (const qulonglong at : changes)
        to[at] = static_cast<char>(~to[at]);
    std::string ips, error;
    QVERIFY(MakeIps(from, to, ips, error));
    // No record starts at 0x454F46: its offset would read as "EOF".
    QVERIFY(ips.find(std::string("\x45\x4F\x46", 3), 5) == ips.size() - 3 - (to.size() < from.size() ? 3 : 0));
    QVERIFY(ApplyIps(from, ips) == to);
    QVERIFY(ApplyBps(from, MakeBps(from, to)) == to);
    // A file past 16 MiB: IPS says so.
    QVERIFY(!MakeIps(std::string(0x1000001, '\0'), std::string(0x1000001, '\1'), ips, error));
}

QTEST_APPLESS_MAIN(ScriptTest)
#include "tst_script.moc"
