// parcelo95 join: the splitter's own join files rebuild their sources; anything else is
// refused before a byte is written, and no name reaches outside the folder.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliJoin = CliTest;

const char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\nECHO.Recombining "
    "files...\r\nECHO.\r\n";

TEST_F(CliJoin, RebuildsWhatTheSplitterWrote) {
  const struct {
    const char* name;
    std::size_t size;
    const char* pieceSize;
    std::vector<std::string> settings;
    bool shortNames = true;
  } cases[] = {
      {"Holiday Video.avi", 250000, "100000", {}},
      {"BIGFILE.DAT", 150000, "1000", {"--set", "Use DOS 8.3=1"}},
      {"README", 3000, "1000", {"--set", "UseLongJoinBatName=0"}},
      // Without aliases the long names go into the join file, quoted where cmd needs it.
      {"Tax 1998,final;v=2+copy.dat", 150000, "1000", {}, false},
      {"Holiday Video.avi", 3000, "1000", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shortNames_ = c.shortNames;
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    const std::string source = MakeFile(std::string("In/") + c.name, c.size);
    std::vector<std::string> arguments = {"split", std::string("In/") + c.name, "Out", "--size",
                                          c.pieceSize, "--yes"};
    arguments.insert(arguments.end(), c.settings.begin(), c.settings.end());
    ASSERT_EQ(Run(arguments).status, 0);
    const CliResult joined = Run({"join", "Out"});
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_EQ(joined.out, "Make sure ALL the pieces are in this directory.\nRecombining files...\n"
                          "\n\nDone.\n");
    const std::string rebuilt =
        c.settings.empty() || c.settings[1] != "Use DOS 8.3=1" ? c.name : "BIGFILE.DAT";
    EXPECT_TRUE(Read("Out/" + rebuilt) == source);
    for (const std::string& name : List("Out")) {
      EXPECT_NE(name.back(), '_') << "intermediate file left: " << name;
    }
  }
}

TEST_F(CliJoin, HostileJoinFilesAreRefusedAndNothingIsWritten) {
  MakeFolder("Pieces/sub");
  Write("secret.000", "outside");
  Write("Pieces/A.000", "one");
  Write("Pieces/A.001", "two");
  Write("Pieces/KEEP.DAT", "keep");
  ASSERT_EQ(symlink((dir_ + "/secret.000").c_str(), Path("Pieces/LINK.000").c_str()), 0);
  ASSERT_EQ(symlink((dir_ + "/elsewhere").c_str(), Path("Pieces/OUT.DAT").c_str()), 0);
  const std::string good = std::string(kHeader) + "COPY /B A.000+A.001 A.DAT";
  const struct {
    const char* what;
    std::string text;
    const char* says;
  } cases[] = {
      {"parent in a piece", "COPY /B ..\\secret.000 A.DAT", "refused"},
      {"dot dot alone", "COPY /B A.000+.. A.DAT", "refused"},
      {"slash in a piece", "COPY /B sub/A.000 A.DAT", "refused"},
      {"drive in the target", "COPY /B A.000+A.001 C:\\A.DAT", "refused"},
      {"parent in the target", "COPY /B A.000+A.001 ..\\A.DAT", "refused"},
      {"quoted parent", "COPY /B A.000 \"..\\A.DAT\"", "refused"},
      {"wildcard piece", "COPY /B A.* A.DAT", "refused"},
      {"onto its own piece", "COPY /B A.000+A.001 A.000", "refused"},
      {"copy without target", "COPY /B A.000+A.001", "refused"},
      {"text after target", "COPY /B A.000 A.DAT & DEL KEEP.DAT", "refused"},
      {"other copy switch", "COPY /Y A.000 A.DAT", "refused"},
      {"del of a file it did not make", good + "\r\nDEL KEEP.DAT", "Not made by this join, so not deleted: KEEP.DAT"},
      {"del of everything", "DEL *.*", "refused"},
      {"del wildcard base", "DEL *.??_", "refused"},
      {"del outside", "DEL ..\\A.??_", "refused"},
      {"rename outside", "REN A.000 \"..\\moved\"", "refused"},
      {"rename into folder", "REN A.000 \"sub/moved\"", "refused"},
      {"rename unquoted junk", "REN A.000 moved extra", "refused"},
      {"other command", "START evil.exe", "refused"},
      {"format", "FORMAT C:", "refused"},
      {"echo with escapes", "ECHO.\x1b[2J", "refused"},
      {"pipe in an echo", "ECHO.x | DEL KEEP.DAT", "refused"},
      {"operator in a name", "COPY /B A.000 A.DAT&DEL", "refused"},
      {"percent in a name", "REN A.000 \"%PATH%\"", "refused"},
      {"bad last line after a good one", good + "\r\nRD /S /Q ..", "refused"},
      {"missing piece", "COPY /B A.000+A.002 A.DAT", "Piece missing: A.002"},
      {"piece through a link", "COPY /B LINK.000 A.DAT", "Not a plain file: LINK.000"},
      {"target through a link", "COPY /B A.000 OUT.DAT", "OUT.DAT already exists"},
      {"rename onto a file", good + "\r\nREN A.DAT \"KEEP.DAT\"", "KEEP.DAT already exists"},
      {"rename a link", good + "\r\nREN LINK.000 \"x\"", "Not a plain file: LINK.000"},
      {"rename a file it did not make", good + "\r\nREN KEEP.DAT \"x\"", "Not made by this join"},
      {"lone percent", "COPY /B A.000 \"100%.DAT\"", "refused"},
      {"caret outside quotes", "COPY /B A.000 A^.DAT", "refused"},
      {"ampersand outside quotes", "COPY /B A.000 A&B.DAT", "refused"},
      {"no copy line", "ECHO.hello\r\nREN A.000 \"x\"", "has no COPY line"},
  };
  const auto before = Snapshot(dir_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write("Pieces/Join.bat", c.text);
    const CliResult result = Run({"join", "Pieces"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("othing was written."), std::string::npos) << result.err;
    fs::remove(Path("Pieces/Join.bat"));
    EXPECT_EQ(Snapshot(dir_), before);
  }
}

TEST_F(CliJoin, QuotedNamesAndTheFormsOfTheTarget) {
  // The forms a join file of any source name holds, quoted where a name needs it.
  Write("P/a b,c.000", "12");
  Write("P/a b,c.001", "34");
  Write("P/a", "survives the DEL line");
  Write("P/Join-a b,c;d=e+f.bat",
        std::string(kHeader) + "COPY /B \"a b,c.000\" \"a b,c.00_\"\r\nCOPY /B \"a b,c.00_\"+"
                               "\"a b,c.001\" \"a b,c.DAT\"\r\nDEL \"a b,c.??_\"\r\nREN "
                               "\"a b,c.DAT\" \"a b,c;d=e+f\"\r\nECHO.\r\nECHO.Done.");
  CliResult result = Run({"join", "P/Join-a b,c;d=e+f.bat"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(List("P"), (std::vector<std::string>{"Join-a b,c;d=e+f.bat", "a", "a b,c.000",
                                                 "a b,c.001", "a b,c;d=e+f"}));
  EXPECT_EQ(Read("P/a b,c;d=e+f"), "1234");
  EXPECT_FALSE(Exists("P/a b,c.00_"));
  EXPECT_EQ(Read("P/a"), "survives the DEL line");

  // Names are found without case, as cmd finds them; several join files need a choice.
  Write("Q/X.000", "ab");
  Write("Q/Join.bat", "copy /b x.000 X.OUT");
  Write("Q/Join-X.bat", "COPY /B X.000 Y.OUT");
  result = Run({"join", "Q"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("1. Join-X.bat\n  2. Join.bat"), std::string::npos) << result.out;
  EXPECT_EQ(List("Q").size(), 3u);
  ASSERT_EQ(Run({"join", "Q/Join.bat"}).status, 0);
  EXPECT_EQ(Read("Q/X.OUT"), "ab");
  EXPECT_EQ(Run({"join", "Empty"}).status, 1);
  MakeFolder("Empty");
  EXPECT_NE(Run({"join", "Empty"}).err.find("No join file"), std::string::npos);
}

}  // namespace
}  // namespace parcelo
