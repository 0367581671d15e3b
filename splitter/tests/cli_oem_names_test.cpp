// Names outside ASCII: the join file carries every name in the OEM code page, the pieces carry
// the aliases a FAT volume of that page would give, and parcelo95 join brings the exact name
// back. A long name the page cannot hold is never written mangled.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "platform/posix/oem_code_page.h"
#include "platform/posix/short_name.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliOemNames = CliTest;

const char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\nECHO.Recombining "
    "files...\r\nECHO.\r\n";
const char kKeepsShortName[] =
    "\r\nECHO.The rebuilt file keeps its 8.3 name: its long name cannot be given back here.";

struct NameCase {
  const char* name;      // as the host writes it (UTF-8)
  const char* codePage;
  const char* alias;     // the pieces' base on disk, UTF-8
  const char* oemShort;  // the alias with its extension, as the join file writes it
  const char* oemLong;   // the REN line's long name; nullptr when the page cannot hold it
};

const NameCase kCases[] = {
    {"Holiday Video.avi", "437", "HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi"},
    {"Übersicht Ärger.doc", "437", "ÜBERSI~1", "\x9a" "BERSI~1.DOC",
     "\x9a" "bersicht \x8erger.doc"},
    {"Café Crème.txt", "437", "CAFÉCR~1", "CAF\x90" "CR~1.TXT", "Caf\x82 Cr\x8ame.txt"},
    // ø is in 850 only; 437 holds no capital È, so è stays small there.
    {"Smørrebrød è.txt", "437", "SM_RRE~1", "SM_RRE~1.TXT", nullptr},
    {"Smørrebrød è.txt", "850", "SMØRRE~1", "SM\x9dRRE~1.TXT", "Sm\x9brrebr\x9b" "d \x8a.txt"},
    {"€ Report.doc", "437", "_REPOR~1", "_REPOR~1.DOC", nullptr},
    {"€ Report.doc", "850", "_REPOR~1", "_REPOR~1.DOC", nullptr},
    {"Zürich – Bern.txt", "437", "ZÜRICH~1", "Z\x9aRICH~1.TXT", nullptr},
};

TEST_F(CliOemNames, JoinFileAliasesAndRebuiltName) {
  for (const NameCase& c : kCases) {
    SCOPED_TRACE(std::string(c.name) + " in code page " + c.codePage);
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("In"));
    MakeFolder("Out");
    const std::string source = MakeFile(std::string("In/") + c.name, 2500);
    const CliResult split = Run({"split", std::string("In/") + c.name, "Out", "--size", "1000",
                                 "--yes", "--set", "NoReminders=1", "--codepage", c.codePage});
    ASSERT_EQ(split.status, 0) << split.err;

    const std::string base = c.alias;
    const std::string joinFile = std::string("Join-") + c.name + ".bat";
    const std::vector<std::string> expectedFiles = {joinFile, base + ".000", base + ".001",
                                                    base + ".002", base + ".SFV"};
    std::vector<std::string> sorted = expectedFiles;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(List("Out"), sorted);

    const std::string oemShort = c.oemShort;
    const std::string oemBase = oemShort.substr(0, oemShort.find('.') == std::string::npos
                                                       ? oemShort.size()
                                                       : oemShort.find('.'));
    const std::string tail =
        c.oemLong != nullptr
            ? "\r\nREN " + oemShort + " \"" + c.oemLong + "\""
            : std::string(kKeepsShortName);
    EXPECT_EQ(Read("Out/" + joinFile),
              std::string(kHeader) + "COPY /B " + oemBase + ".000+" + oemBase + ".001+" +
                  oemBase + ".002 " + oemShort + tail + "\r\nECHO.\r\nECHO.Done.");
    const bool warned = split.out.find("cannot give the rebuilt file its long name") !=
                        std::string::npos;
    EXPECT_EQ(warned, c.oemLong == nullptr) << split.out;

    const CliResult joined = Run({"join", "Out", "--codepage", c.codePage});
    ASSERT_EQ(joined.status, 0) << joined.err;
    std::string rebuilt = c.name;
    if (c.oemLong == nullptr) {
      rebuilt = base + (oemShort.find('.') == std::string::npos
                            ? std::string()
                            : oemShort.substr(oemShort.find('.')));
    }
    EXPECT_EQ(Read("Out/" + rebuilt), source);
    EXPECT_EQ(List("Out").size(), expectedFiles.size() + 1);
  }
}

// cmd refuses a REN onto the same name in other case: where the long name differs from the
// 8.3 name only in case, the last COPY writes it straight. Every other name keeps its REN.
TEST_F(CliOemNames, ANameThatDiffersOnlyInCaseIsCopiedStraightToIt) {
  const struct {
    const char* name;
    const char* codePage;
    const char* set;     // one more --set
    const char* pieces;  // the pieces' base on disk, UTF-8
    const char* oemBase;
    const char* tail;  // the join file after "COPY /B " and the pieces
    const char* joinFile;
  } cases[] = {
      {"notes.txt", "437", nullptr, "NOTES", "NOTES", " \"notes.txt\"", "Join-notes.txt.bat"},
      {"Readme", "437", nullptr, "README", "README", " \"Readme\"", "Join-Readme.bat"},
      {"naïve.bin", "437", nullptr, "NAïVE", "NA\x8bVE", " \"na\x8b" "ve.bin\"", "Join-naïve.bin.bat"},
      // 850 holds a capital Ï: the alias has it, and still differs only in case.
      {"naïve.bin", "850", nullptr, "NAÏVE", "NA\xd8VE", " \"na\x8b" "ve.bin\"", "Join-naïve.bin.bat"},
      {"ärger.doc", "437", nullptr, "ÄRGER", "\x8eRGER", " \"\x84rger.doc\"", "Join-ärger.doc.bat"},
      // A FAT volume needs no "~1" for it either.
      {"ÄÖÜßé", "437", nullptr, "ÄÖÜßÉ", "\x8e\x99\x9a\xe1\x90", " \"\x8e\x99\x9a\xe1\x82\"",
       "Join-ÄÖÜßé.bat"},
      {"100%.txt", "437", nullptr, "100%", "100%%", " \"100%%.txt\"", "Join-100%.txt.bat"},
      // As today: no long name to give back, an 8.3 name renamed to itself, a real alias.
      {"notes.txt", "437", "Use DOS 8.3=1", "NOTES", "NOTES", " NOTES.TXT", "Join.bat"},
      {"BACKUP.ZIP", "437", nullptr, "BACKUP", "BACKUP", " BACKUP.ZIP\r\nREN BACKUP.ZIP \"BACKUP.ZIP\"",
       "Join-BACKUP.ZIP.bat"},
      {"notes.text", "437", nullptr, "NOTES~1", "NOTES~1", " NOTES~1.TEX\r\nREN NOTES~1.TEX \"notes.text\"",
       "Join-notes.text.bat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " in code page " + c.codePage);
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("In"));
    MakeFolder("Out");
    const std::string source = MakeFile(std::string("In/") + c.name, 2500);
    std::vector<std::string> arguments = {"split", std::string("In/") + c.name, "Out", "--size",
                                          "1000", "--set", "NoReminders=1", "--codepage",
                                          c.codePage};
    if (c.set != nullptr) arguments.insert(arguments.end(), {"--set", c.set});
    const CliResult split = Run(arguments);
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_EQ(split.err, "");

    const std::string base = c.pieces, oemBase = c.oemBase;
    std::vector<std::string> files = {c.joinFile, base + ".000", base + ".001", base + ".002",
                                      base + ".SFV"};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(List("Out"), files);
    EXPECT_EQ(Read(std::string("Out/") + c.joinFile),
              std::string(kHeader) + "COPY /B " + oemBase + ".000+" + oemBase + ".001+" +
                  oemBase + ".002" + c.tail + "\r\nECHO.\r\nECHO.Done.");

    const CliResult joined = Run({"join", "Out", "--codepage", c.codePage});
    ASSERT_EQ(joined.status, 0) << joined.err;
    const std::string rebuilt = c.set != nullptr ? base + ".TXT" : std::string(c.name);
    files.push_back(rebuilt);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(List("Out"), files) << "the exact name, and nothing else";
    EXPECT_EQ(Read("Out/" + rebuilt), source);
  }
}

TEST_F(CliOemNames, CodePageComesFromTheEnvironmentAndBadOnesAreRefused) {
  MakeFile("In/Smørrebrød.txt", 2500);
  MakeFolder("Out");
  // The variable counts when no option is given.
  setenv("PARCELO95_OEM_CODEPAGE", "850", 1);
  CliResult split = Run({"split", "In/Smørrebrød.txt", "Out", "--size", "1000", "--yes"});
  unsetenv("PARCELO95_OEM_CODEPAGE");
  ASSERT_EQ(split.status, 0) << split.err;
  EXPECT_TRUE(Exists("Out/SMØRRE~1.000"));
  // Exactly the pages the message names: not 1252 (no OEM page), 866 or 932 (never checked).
  for (const char* bad : {"999", "65001", "cp437", "1252", "866", "932", "", "437"}) {
    SCOPED_TRACE(bad);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    split = Run({"split", "In/Smørrebrød.txt", "Out", "--size", "1000", "--yes", "--codepage", bad});
    if (std::string(bad).empty() || std::string(bad) == "437") {  // empty: the default
      EXPECT_EQ(split.status, 0) << split.err;
      continue;
    }
    EXPECT_EQ(split.status, 2);
    EXPECT_EQ(split.err, std::string("--codepage: \"") + bad +
                             "\" is not an OEM code page that can be used here (437 and 850 can).\n");
    EXPECT_TRUE(List("Out").empty());
    const CliResult join = Run({"join", "Out", "--codepage", bad});
    EXPECT_EQ(join.status, 2);
  }
  setenv("PARCELO95_OEM_CODEPAGE", "866", 1);
  const CliResult join = Run({"join", "Out"});
  unsetenv("PARCELO95_OEM_CODEPAGE");
  EXPECT_EQ(join.status, 2);
  EXPECT_EQ(join.err, "PARCELO95_OEM_CODEPAGE: \"866\" is not an OEM code page that can be used "
                      "here (437 and 850 can).\n");
}

// A join file made where the other page is the OEM one names its pieces in that page: the
// join says which page finds them, and changes nothing.
TEST_F(CliOemNames, MissingPiecesFoundInTheOtherPageNameIt) {
  const struct {
    const char* name;
    const char* writtenIn;
    const char* readIn;
    const char* message;
  } cases[] = {
      {"Ørsted Report.doc", "850", "437",
       "Piece missing: ¥RSTED~1.000\nNothing was written.\nRead in code page 850 the join file "
       "finds all its pieces: join it with --codepage 850.\n"},
      {"¥en.txt", "437", "850",
       "Piece missing: ØEN.000\nNothing was written.\nRead in code page 437 the join file finds "
       "all its pieces: join it with --codepage 437.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    const std::string source = MakeFile(std::string("In/") + c.name, 2500);
    ASSERT_EQ(Run({"split", std::string("In/") + c.name, "Out", "--size", "1000", "--yes",
                   "--set", "NoReminders=1", "--codepage", c.writtenIn})
                  .status,
              0);
    const auto before = Snapshot(Path("Out"));
    CliResult joined = Run({"join", "Out", "--codepage", c.readIn});
    EXPECT_EQ(joined.status, 1);
    EXPECT_EQ(joined.err, c.message);
    EXPECT_EQ(Snapshot(Path("Out")), before);
    joined = Run({"join", "Out", "--codepage", c.writtenIn});
    EXPECT_EQ(joined.status, 0) << joined.err;
    EXPECT_EQ(Read(std::string("Out/") + c.name), source);
  }

  // A piece that is missing in both pages gets no advice.
  fs::remove(Path("Out/") + "¥EN.001");
  fs::remove(Path("Out/") + "¥en.txt");
  const CliResult joined = Run({"join", "Out", "--codepage", "437"});
  EXPECT_EQ(joined.status, 1);
  EXPECT_EQ(joined.err, "Piece missing: ¥EN.001\nNothing was written.\n");
}

TEST(OemCodePage, ConvertsBothWaysAndKnowsWhatItLacks) {
  const OemCodePage page437(437);
  const OemCodePage page850(850);
  ASSERT_TRUE(page437.valid());
  ASSERT_TRUE(page850.valid());
  EXPECT_FALSE(OemCodePage(1200).valid());  // not a single-byte DOS page
  std::string oem;
  EXPECT_TRUE(page437.ToOem("Übersicht", &oem));
  EXPECT_EQ(oem, "\x9a" "bersicht");
  EXPECT_EQ(page437.FromOem(oem), "Übersicht");
  EXPECT_FALSE(page437.ToOem("ø", &oem));
  EXPECT_EQ(oem, "?");
  EXPECT_TRUE(page850.ToOem("ø", &oem));
  EXPECT_FALSE(page437.ToOem("a\xff" "b", &oem)) << "not UTF-8";
  // Capitals by the page: ü has Ü in 437, á has no Á there but has in 850.
  EXPECT_EQ(page437.Upper(0x81), 0x9a);
  EXPECT_EQ(page437.Upper(0xa0), 0xa0);
  EXPECT_EQ(page850.Upper(0xa0), 0xb5);
  // Every byte of the page reads back as itself.
  for (int b = 0x20; b < 0x100; ++b) {
    const std::string byte(1, static_cast<char>(b));
    ASSERT_TRUE(page850.ToOem(page850.FromOem(byte), &oem)) << b;
    EXPECT_EQ(oem, byte);
  }
}

TEST(ShortName, ValidityAndAliasesFollowTheCodePage) {
  const OemCodePage page437(437);
  const OemCodePage page850(850);
  EXPECT_TRUE(IsShortName("ÄRGER.DOC", page437));
  EXPECT_FALSE(IsShortName("ärger.doc", page437));
  EXPECT_FALSE(IsShortName("ØL.TXT", page437));  // no Ø in 437
  EXPECT_TRUE(IsShortName("ØL.TXT", page850));
  EXPECT_TRUE(IsShortName("áB", page437)) << "437 has no capital Á: á is as upper as it gets";
  EXPECT_FALSE(IsShortName("áB", page850));
  const auto aliases437 = AssignShortNames({"ärger.doc", "øl.txt", "Ærø.dat"}, page437);
  EXPECT_EQ(aliases437.at("ärger.doc"), "ÄRGER.DOC");
  EXPECT_EQ(aliases437.at("øl.txt"), "_L~1.TXT");
  EXPECT_EQ(aliases437.at("Ærø.dat"), "ÆR_~1.DAT");
  const auto aliases850 = AssignShortNames({"øl.txt"}, page850);
  EXPECT_EQ(aliases850.at("øl.txt"), "ØL.TXT");
}

}  // namespace
}  // namespace parcelo
