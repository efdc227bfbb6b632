#include "platform/inifile.h"

#include "platform/debugoutput.h"
#include "tempfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

namespace varlok::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class IniFileTest : public ::testing::Test {
protected:
    TempFolder m_folder;
    std::filesystem::path m_path = m_folder / "msProfile.ini";
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsTheDefault) {
    IniFile ini(m_path);
    EXPECT_EQ(ini.Read("PROFILEDEVICECOUNT", "count"), "0");
    EXPECT_EQ(ini.Read("PROFILEDEVICECOUNT", "count", "7"), "7");
    EXPECT_EQ(ini.Find("PROFILEDEVICECOUNT", "count"), std::nullopt);
    EXPECT_TRUE(ini.Keys("PROFILEDEVICECOUNT").empty());
    EXPECT_TRUE(ini.Sections().empty());
    EXPECT_FALSE(std::filesystem::exists(m_path)) << "reads never create the file";

    ASSERT_EQ(ini.Write("PROFILEDEVICECOUNT", "count", "1"), IniWriteResult::Ok);
    EXPECT_EQ(ini.Read("PROFILEDEVICECOUNT", "select"), "0");
    EXPECT_EQ(ini.Read("PROFILEDEVICESELECT", "select"), "0");
    EXPECT_EQ(ini.Read("PROFILEDEVICECOUNT", "count"), "1");
}

TEST_F(IniFileTest, WritesProduceExactBytes) {
    IniFile ini(m_path);
    ASSERT_EQ(ini.Write("PROFILEDEVICECOUNT", "count", "1"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("PROFILEDEVICENAME", "0", "profile1"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("PROFILEDEVICECOUNT", "count", "2"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("PROFILEDEVICENAME", "1", "配置 二"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("DEVICEPROCESS", "0", " "), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("PROFILEDEVICENAME", "2", ""), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path),
              "[PROFILEDEVICECOUNT]\r\ncount=2\r\n"
              "[PROFILEDEVICENAME]\r\n0=profile1\r\n1=配置 二\r\n2=\r\n"
              "[DEVICEPROCESS]\r\n0= \r\n");
    EXPECT_EQ(ini.Read("PROFILEDEVICENAME", "1"), "配置 二");
    EXPECT_EQ(ini.Read("DEVICEPROCESS", "0"), "") << "surrounding blanks are trimmed on read";
    EXPECT_EQ(ini.Find("PROFILEDEVICENAME", "2"), "");
}

TEST_F(IniFileTest, BatchWritesAllOrNothing) {
    IniFile ini(m_path);
    ASSERT_EQ(ini.Write("KEEP", "a", "1"), IniWriteResult::Ok);
    const std::vector<IniValue> bad{{"LIST", "count", "2"}, {"LIST", "0", "line\nbreak"}};
    EXPECT_EQ(ini.WriteValues(bad), IniWriteResult::InvalidValue);
    EXPECT_EQ(ReadBytes(m_path), "[KEEP]\r\na=1\r\n");
    const std::vector<IniValue> list{{"LIST", "count", "2"}, {"LIST", "0", "x"}};
    ASSERT_EQ(ini.WriteValues(list), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[KEEP]\r\na=1\r\n[LIST]\r\ncount=2\r\n0=x\r\n");
    ASSERT_EQ(ini.WriteValues(list, IniBase::Empty), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[LIST]\r\ncount=2\r\n0=x\r\n");
    IniFile failing(m_path, [](AtomicWriteStep step) { return step != AtomicWriteStep::Rename; });
    const std::vector<IniValue> change{{"LIST", "0", "y"}};
    EXPECT_EQ(failing.WriteValues(change), IniWriteResult::IoError);
    EXPECT_EQ(ReadBytes(m_path), "[LIST]\r\ncount=2\r\n0=x\r\n");
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::string>{"msProfile.ini"});
}

TEST_F(IniFileTest, NamesCompareWithoutRegardToAsciiCase) {
    WriteBytes(m_path, "[SkinImage]\r\nLanguage=3\r\n[名字]\r\nÄ=1\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.Read("SKINIMAGE", "LANGUAGE"), "3");
    EXPECT_EQ(ini.Read("skinimage", "language"), "3");
    EXPECT_EQ(ini.Read("名字", "Ä"), "1");
    EXPECT_EQ(ini.Read("名字", "ä"), "0") << "only ASCII letters fold";

    ASSERT_EQ(ini.Write("SKINIMAGE", "LANGUAGE", "4"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[SkinImage]\r\nLanguage=4\r\n[名字]\r\nÄ=1\r\n")
        << "an existing entry keeps the spelling of its names";
}

TEST_F(IniFileTest, UntouchedLinesAreKeptByteForByte) {
    const std::string original =
        "\xEF\xBB\xBF; written by hand\n"
        "orphan=before any section\n"
        "[A]\n"
        "  key1 =  one  \n"
        "; comment in A\n"
        "no equals sign here\n"
        "\n"
        "\n"
        "[B] trailing text\n"
        "x=1\r\n"
        "\t\n"
        "[C]\n"
        "last=line without end";
    WriteBytes(m_path, original);
    IniFile ini(m_path);
    EXPECT_EQ(ini.Read("A", "key1"), "one");
    EXPECT_EQ(ini.Read("B", "x"), "1");
    EXPECT_EQ(ini.Read("C", "last"), "line without end");
    EXPECT_EQ(ini.Read("A", "no equals sign here"), "0");
    EXPECT_EQ(ini.Read("A", "; comment in A"), "0");

    ASSERT_EQ(ini.Write("A", "KEY1", "uno"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("A", "key2", "two"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("B", "y", "2"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("C", "next", "n"), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("D", "k", "v"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path),
              "\xEF\xBB\xBF; written by hand\n"
              "orphan=before any section\n"
              "[A]\n"
              "key1=uno\n"
              "; comment in A\n"
              "no equals sign here\n"
              "key2=two\n"
              "\n"
              "\n"
              "[B] trailing text\n"
              "x=1\r\n"
              "y=2\n"
              "\t\n"
              "[C]\n"
              "last=line without end\n"
              "next=n\n"
              "[D]\n"
              "k=v\n");
}

TEST_F(IniFileTest, NewSectionAfterAFileWithoutFinalLineEnd) {
    WriteBytes(m_path, "[A]\r\na=1");
    IniFile ini(m_path);
    ASSERT_EQ(ini.Write("B", "b", "2"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[A]\r\na=1\r\n[B]\r\nb=2\r\n");

    WriteBytes(m_path, "[A]");
    ASSERT_EQ(ini.Write("a", "k", "v"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[A]\r\nk=v\r\n");
}

TEST_F(IniFileTest, FirstOccurrenceWinsAndBlanksAroundNamesAreTrimmed) {
    WriteBytes(m_path, "[ S ]\r\nk=first\r\nk=second\r\n[s]\r\nk=third\r\nother=4\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.Read("S", "k"), "first");
    EXPECT_EQ(ini.Read(" s\t", " K "), "first");
    EXPECT_EQ(ini.Read("S", "other"), "0") << "a repeated section is not searched";
    EXPECT_EQ(ini.Keys("s"), std::vector<std::string>{"k"});
    EXPECT_EQ(ini.Sections(), std::vector<std::string>{"S"});
}

TEST_F(IniFileTest, DeletesKeysAndSections) {
    const std::string original =
        "[KEEP]\r\na=1\r\n"
        "[MACRO]\r\nname=x\r\n; note\r\nNAME=dup\r\nother=2\r\n\r\n"
        "[GONE]\r\n1=a\r\n; inside\r\n\r\n"
        "[TAIL]\r\nz=9\r\n"
        "[gone]\r\n2=b\r\n";
    WriteBytes(m_path, original);
    IniFile ini(m_path);
    ASSERT_EQ(ini.DeleteKey("macro", "name"), IniWriteResult::Ok);
    EXPECT_EQ(ini.Read("MACRO", "name"), "0");
    ASSERT_EQ(ini.DeleteSection("GONE"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path),
              "[KEEP]\r\na=1\r\n"
              "[MACRO]\r\n; note\r\nother=2\r\n\r\n"
              "[TAIL]\r\nz=9\r\n");

    const std::string after = ReadBytes(m_path);
    ASSERT_EQ(ini.DeleteKey("MACRO", "missing"), IniWriteResult::Ok);
    ASSERT_EQ(ini.DeleteKey("MISSING", "a"), IniWriteResult::Ok);
    ASSERT_EQ(ini.DeleteSection("MISSING"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), after);

    IniFile absent(m_folder / "absent.ini");
    EXPECT_EQ(absent.DeleteKey("A", "b"), IniWriteResult::Ok);
    EXPECT_EQ(absent.DeleteSection("A"), IniWriteResult::Ok);
    EXPECT_FALSE(std::filesystem::exists(absent.Path())) << "a delete never creates the file";
}

TEST_F(IniFileTest, EnumeratesKeysAndSectionsInFileOrder) {
    WriteBytes(m_path,
               "[MACRONAME]\r\n2=b\r\n0=a\r\n; x=comment\r\n1=c\r\n0=again\r\n"
               "[macrocount]\r\ncount=3\r\n[Other]\r\n[MacroName]\r\n9=z\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.Keys("MacroName"), (std::vector<std::string>{"2", "0", "1"}));
    EXPECT_EQ(ini.Keys("Other"), std::vector<std::string>{});
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"MACRONAME", "macrocount", "Other"}));
}

TEST_F(IniFileTest, RefusesNamesAndValuesThatWouldBreakTheFile) {
    IniFile ini(m_path);
    EXPECT_EQ(ini.Write("S", "k", "a\r\n[EVIL]"), IniWriteResult::InvalidValue);
    EXPECT_FALSE(std::filesystem::exists(m_path)) << "a refused first write creates nothing";

    ASSERT_EQ(ini.Write("S", "k", "v"), IniWriteResult::Ok);
    const std::string before = ReadBytes(m_path);
    const std::string nul("a\0b", 3);
    struct Case {
        std::string section;
        std::string key;
        std::string value;
        IniWriteResult expected;
    };
    const Case cases[] = {
        {"", "k", "v", IniWriteResult::InvalidSection},
        {"  ", "k", "v", IniWriteResult::InvalidSection},
        {"A]B", "k", "v", IniWriteResult::InvalidSection},
        {"A\nB", "k", "v", IniWriteResult::InvalidSection},
        {"A\rB", "k", "v", IniWriteResult::InvalidSection},
        {nul, "k", "v", IniWriteResult::InvalidSection},
        {"S", "", "v", IniWriteResult::InvalidKey},
        {"S", "a=b", "v", IniWriteResult::InvalidKey},
        {"S", "[k", "v", IniWriteResult::InvalidKey},
        {"S", ";k", "v", IniWriteResult::InvalidKey},
        {"S", "k\n", "v", IniWriteResult::InvalidKey},
        {"S", nul, "v", IniWriteResult::InvalidKey},
        {"S", "k", "line\nbreak", IniWriteResult::InvalidValue},
        {"S", "k", "cr\r", IniWriteResult::InvalidValue},
        {"S", "k", nul, IniWriteResult::InvalidValue},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.Write(c.section, c.key, c.value), c.expected)
            << "section '" << c.section << "' key '" << c.key << "'";
    }
    EXPECT_EQ(ini.DeleteKey("S", "a=b"), IniWriteResult::InvalidKey);
    EXPECT_EQ(ini.DeleteSection("S\n"), IniWriteResult::InvalidSection);
    EXPECT_EQ(ReadBytes(m_path), before);
    EXPECT_EQ(ini.Write("S", "k", "a=b;[c] \"quoted\""), IniWriteResult::Ok)
        << "'=', ';' and brackets are fine inside a value";
    EXPECT_EQ(ini.Read("S", "k"), "a=b;[c] \"quoted\"");
}

TEST_F(IniFileTest, ReadsStopAt259Characters) {
    const std::string ascii(300, 'a');
    std::string chinese;
    for (int i = 0; i < 300; ++i) {
        chinese += "宏";
    }
    const std::string emoji = "\xF0\x9F\x98\x80";
    IniFile ini(m_path);
    ASSERT_EQ(ini.Write("S", "ascii", ascii), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("S", "chinese", chinese), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("S", "pairCut", std::string(258, 'b') + emoji), IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("S", "pairFits", std::string(257, 'b') + emoji + "c"), IniWriteResult::Ok);
    EXPECT_NE(ReadBytes(m_path).find(ascii), std::string::npos) << "stored in full";

    EXPECT_EQ(ini.Read("S", "ascii"), std::string(259, 'a'));
    EXPECT_EQ(ini.Read("S", "chinese"), chinese.substr(0, std::size_t{259} * 3));
    EXPECT_EQ(ini.Read("S", "pairCut"), std::string(258, 'b'));
    EXPECT_EQ(ini.Read("S", "pairFits"), std::string(257, 'b') + emoji);
    EXPECT_EQ(ini.Read("S", "missing", ascii), std::string(259, 'a'));
    // Values compared whole (program paths) are read as stored.
    EXPECT_EQ(ini.FindWhole("S", "ascii"), ascii);
    EXPECT_EQ(ini.FindWhole("s", "CHINESE"), chinese);
    EXPECT_EQ(ini.FindWhole("S", "missing"), std::nullopt);
}

TEST_F(IniFileTest, ReadIntParsesLikeTheWindowsBuild) {
    WriteBytes(m_path, "[N]\r\ncount=12abc\r\nword=abc\r\nneg= -3\r\nempty=\r\n");
    IniFile ini(m_path);
    EXPECT_EQ(ini.ReadInt("N", "count"), 12);
    EXPECT_EQ(ini.ReadInt("N", "word", 5), 0);
    EXPECT_EQ(ini.ReadInt("N", "neg"), -3);
    EXPECT_EQ(ini.ReadInt("N", "empty", 5), 0);
    EXPECT_EQ(ini.ReadInt("N", "missing", 5), 5);
}

TEST_F(IniFileTest, AtomicReplaceLeavesNoTemporaryFilesAndKeepsPermissions) {
    IniFile ini(m_path);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(ini.Write("S", std::to_string(i), "v"), IniWriteResult::Ok);
    }
    ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
    ASSERT_EQ(ini.Write("S", "k", "v"), IniWriteResult::Ok);
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::string>{"msProfile.ini"});
    struct stat info {};
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    ASSERT_EQ(ini.Write("s", "K", "v"), IniWriteResult::Ok);
    struct stat unchanged {};
    ASSERT_EQ(::stat(m_path.c_str(), &unchanged), 0);
    EXPECT_EQ(unchanged.st_ino, info.st_ino) << "a write that changes nothing leaves the file be";
}

TEST_F(IniFileTest, WritesThroughASymbolicLinkToItsTarget) {
    IniFile target(m_path);
    ASSERT_EQ(target.Write("S", "a", "1"), IniWriteResult::Ok);
    const auto link = m_folder / "link.ini";
    std::filesystem::create_symlink(m_path, link);
    IniFile viaLink(link);
    EXPECT_EQ(viaLink.Path(), target.Path());
    ASSERT_EQ(viaLink.Write("S", "b", "2"), IniWriteResult::Ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(m_path), "[S]\r\na=1\r\nb=2\r\n");
}

// Every step of the replacement fails in turn: the write reports IoError, the old
// file is intact and nothing is left behind.
TEST_F(IniFileTest, FailingDiskLeavesTheOldFileIntact) {
    ASSERT_EQ(IniFile(m_path).Write("S", "k", "old"), IniWriteResult::Ok);
    const std::string before = ReadBytes(m_path);
    for (AtomicWriteStep failing : {AtomicWriteStep::CreateTemporary, AtomicWriteStep::WriteData,
                                    AtomicWriteStep::SyncFile, AtomicWriteStep::Rename}) {
        DebugCapture debug;
        IniFile ini(m_path, [failing](AtomicWriteStep step) { return step != failing; });
        EXPECT_EQ(ini.Write("S", "k", "new"), IniWriteResult::IoError);
        EXPECT_EQ(ini.DeleteSection("S"), IniWriteResult::IoError);
        EXPECT_EQ(ReadBytes(m_path), before);
        EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::string>{"msProfile.ini"});
        EXPECT_FALSE(debug.Lines().empty()) << "the failure is written to the debug output";
    }
    IniFile fresh(m_folder / "new.ini",
                  [](AtomicWriteStep step) { return step != AtomicWriteStep::WriteData; });
    EXPECT_EQ(fresh.Write("S", "k", "v"), IniWriteResult::IoError);
    EXPECT_EQ(FolderEntries(m_folder.Path()), std::vector<std::string>{"msProfile.ini"});
}

TEST_F(IniFileTest, FailedFolderSyncAfterTheRenameStillCounts) {
    DebugCapture debug;
    IniFile ini(m_path, [](AtomicWriteStep step) { return step != AtomicWriteStep::SyncFolder; });
    EXPECT_EQ(ini.Write("S", "k", "new"), IniWriteResult::Ok);
    EXPECT_EQ(ReadBytes(m_path), "[S]\r\nk=new\r\n");
    EXPECT_EQ(debug.Lines().size(), 1u);
}

TEST_F(IniFileTest, UnusablePathsReportIoError) {
    WriteBytes(m_folder / "plain", "not a folder");
    IniFile underFile(m_folder / "plain" / "main.ini");
    EXPECT_EQ(underFile.Write("S", "k", "v"), IniWriteResult::IoError);
    EXPECT_EQ(underFile.Read("S", "k"), "0");

    IniFile missingFolder(m_folder / "no" / "such" / "main.ini");
    EXPECT_EQ(missingFolder.Write("S", "k", "v"), IniWriteResult::IoError);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "no"));

    std::filesystem::create_directory(m_folder / "dir.ini");
    IniFile folder(m_folder / "dir.ini");
    EXPECT_EQ(folder.Write("S", "k", "v"), IniWriteResult::IoError);
    EXPECT_EQ(folder.DeleteKey("S", "k"), IniWriteResult::IoError);
    EXPECT_EQ(folder.Read("S", "k", "d"), "d");
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / "dir.ini"));
}

// Threads writing different keys of one file, through different objects and
// spellings of the path, lose none of them.
TEST_F(IniFileTest, ConcurrentWritesLoseNoKey) {
    constexpr int kThreads = 4;
    constexpr int kKeys = 40;
    std::filesystem::create_directory(m_folder / "sub");
    const std::filesystem::path spellings[] = {m_path, m_folder.Path() / "." / "msProfile.ini",
                                               m_folder.Path() / "sub" / ".." / "msProfile.ini"};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            IniFile ini(spellings[t % 3]);
            for (int k = 0; k < kKeys; ++k) {
                std::string section = k % 2 == 0 ? "EVEN" : "ODD";
                EXPECT_EQ(ini.Write(section, std::to_string(t) + "_" + std::to_string(k), "值"),
                          IniWriteResult::Ok);
                EXPECT_EQ(ini.Write("COUNT", std::to_string(t), std::to_string(k + 1)),
                          IniWriteResult::Ok);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    IniFile ini(m_path);
    EXPECT_EQ(ini.Keys("EVEN").size() + ini.Keys("ODD").size(),
              static_cast<std::size_t>(kThreads * kKeys));
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(ini.ReadInt("COUNT", std::to_string(t)), kKeys);
        for (int k = 0; k < kKeys; ++k) {
            EXPECT_EQ(
                ini.Read(k % 2 == 0 ? "EVEN" : "ODD", std::to_string(t) + "_" + std::to_string(k)),
                "值");
        }
    }
    EXPECT_EQ(FolderEntries(m_folder.Path()), (std::vector<std::string>{"msProfile.ini", "sub"}));
}

// Readers never see a torn file while another thread rewrites it.
TEST_F(IniFileTest, ReadersSeeWholeFilesDuringWrites) {
    IniFile ini(m_path);
    const std::string longA(200, 'a');
    const std::string longB(200, 'b');
    ASSERT_EQ(ini.Write("S", "v", longA), IniWriteResult::Ok);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_EQ(ini.Write("S", "v", i % 2 == 0 ? longB : longA), IniWriteResult::Ok);
        }
        done = true;
    });
    int reads = 0;
    while (!done || reads == 0) {
        std::string value = IniFile(m_path).Read("S", "v");
        EXPECT_TRUE(value == longA || value == longB) << value;
        ++reads;
    }
    writer.join();
}

}  // namespace
}  // namespace varlok::platform
