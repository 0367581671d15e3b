// The main dialog: what it shows, how it follows the user, and the Split handler's checks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include "dialog_fixture.h"
#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_state.h"
#include "frontend/progress_dialog.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

using MainDialog = DialogFixture;

TEST_F(MainDialog, FirstStartShowsTheInitialRequestWithTipsAndLists) {
  MakeSource("F.DAT", 1023);
  OpenMain("C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdSourceEdit), "C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdSizeLabel), "Size: 1023 bytes");
  EXPECT_EQ(Text(kIdPiecesLabel), "Num Pieces: ");
  EXPECT_TRUE(Item(kIdSpecifiedRadio).checked);
  EXPECT_FALSE(Item(kIdPresetList).enabled);
  EXPECT_TRUE(Item(kIdSizeEdit).enabled);
  EXPECT_EQ(Item(kIdUnitList).list, (std::vector<std::string>{"bytes", "KB", "MB"}));
  EXPECT_EQ(Item(kIdUnitList).selection, kUnitKB);
  EXPECT_EQ(Item(kIdPresetList).list,
            (std::vector<std::string>{"720 KB", "1.2 MB", "1.44 MB", "2.88 MB"}));
  EXPECT_EQ(Item(kIdPresetList).selection, 2);
  EXPECT_FALSE(Item(kIdSplitButton).enabled) << "no size typed yet";
  for (int id : {128, 2, 110, 9, 102, 103, 105, 104, 107, 116, 114, 106, 115, 117, 118}) {
    EXPECT_TRUE(Item(id).hasTip) << id;
  }
}

TEST_F(MainDialog, CommandLineRules) {
  const struct {
    std::string line;
    std::string source;
  } cases[] = {
      {"", ""},
      {"/s C:\\X.DAT", ""},
      {"C:\\Data\\F.DAT", "C:\\Data\\F.DAT"},
      {"\"C:\\My Files\\a b.txt\"", "C:\\My Files\\a b.txt"},
      {"\"C:\\a\" \"C:\\b\"", "\"C:\\a\" \"C:\\b\""},  // not one pair: taken unchanged
      {"C:\\" + std::string(256, 'x'), "C:\\" + std::string(256, 'x')},
      {"C:\\" + std::string(257, 'x'), ""},  // cut, it would name another file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ResetSplitJob();
    OpenMain(c.line);
    EXPECT_EQ(Text(kIdSourceEdit), c.source);
  }
}

TEST_F(MainDialog, SplitButtonFollowsTheRequest) {
  OpenMain();
  Type(kIdSourceEdit, "C:\\Data\\F.DAT");
  EXPECT_FALSE(Item(kIdSplitButton).enabled) << "Specified needs a size";
  Type(kIdSizeEdit, "1");
  EXPECT_TRUE(Item(kIdSplitButton).enabled);
  ChooseMode(kIdSpanRadio);
  EXPECT_FALSE(Item(kIdSplitButton).enabled) << "Span needs a destination";
  EXPECT_FALSE(Item(kIdSizeEdit).enabled);
  EXPECT_FALSE(Item(kIdUnitList).enabled);
  EXPECT_FALSE(Item(kIdPresetList).enabled);
  Type(kIdDestinationEdit, "A:\\");
  EXPECT_TRUE(Item(kIdSplitButton).enabled);
  ChooseMode(kIdPresetRadio);
  Type(kIdSizeEdit, "");
  EXPECT_TRUE(Item(kIdSplitButton).enabled) << "Preset needs no typed size";
  EXPECT_TRUE(Item(kIdPresetList).enabled);
  Type(kIdSourceEdit, "");
  EXPECT_FALSE(Item(kIdSplitButton).enabled);
}

TEST_F(MainDialog, DefaultDestinationAndSpanEmptiesAFolder) {
  MakeSource("F.DAT", 100);
  WriteHostFile(Host('C', "ROOT.DAT"), "x");
  OpenMain();
  Type(kIdSourceEdit, "C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Data");
  Type(kIdDestinationEdit, "");
  Type(kIdSourceEdit, "C:\\ROOT.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\");

  Type(kIdDestinationEdit, "C:\\Data");
  ChooseMode(kIdSpanRadio);
  EXPECT_EQ(Text(kIdDestinationEdit), "");
  EXPECT_EQ(splitJob.destinationPath, "");
  Type(kIdDestinationEdit, "A:\\");
  ChooseMode(kIdSpecifiedRadio);
  ChooseMode(kIdSpanRadio);
  EXPECT_EQ(Text(kIdDestinationEdit), "A:\\") << "three characters stay";
  Type(kIdSourceEdit, "C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "A:\\");
}

TEST_F(MainDialog, DropTakesThePathAndRaisesTheWindow) {
  MakeSource("F.DAT", 2048);
  OpenMain();
  MainDialogDropFile(Main(), "C:\\Data\\F.DAT");
  EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Data");
  EXPECT_EQ(Text(kIdSizeLabel), "Size: 2.00 KB (2048 bytes)");
  const std::vector<std::string> raise = {"topmost 1 1", "topmost 1 0"};
  EXPECT_EQ(std::vector<std::string>(sys_->dialogCalls.end() - 2, sys_->dialogCalls.end()), raise);
}

TEST_F(MainDialog, ButtonsOpenTheirDialogsAndCloseEndsTheProgram) {
  OpenMain();
  Press(kIdOptionsButton);
  Press(kIdAboutButton);
  Press(kIdHelpButton);
  MainDialogContextHelp(nullptr);
  Press(kIdCloseButton);
  EXPECT_EQ(sys_->dialogCalls,
            (std::vector<std::string>{"modal 4", "modal 5", "focus 5 2",
                                      "help contents Parcelo95.hlp",
                                      "help context Parcelo95.hlp", "destroy 1", "quit"}));
  EXPECT_EQ(Main(), nullptr);
  Press(1);  // Enter with no button focused: nothing
}

TEST_F(MainDialog, BrowsersFillTheEdits) {
  MakeSource("F.DAT", 10);
  OpenMain();
  sys_->browsedFile = "C:\\Data\\F.DAT";
  Press(kIdSourceBrowse);
  EXPECT_EQ(Text(kIdSourceEdit), "C:\\Data\\F.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Data");
  EXPECT_EQ(splitJob.sourcePath, "") << "the Split handler reads the edit";
  sys_->folderChoice = FolderChoice::Chosen;
  sys_->browsedFolder = "C:\\Out";
  Press(kIdDestinationBrowse);
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Out");
  sys_->folderChoice = FolderChoice::OutOfMemory;
  Press(kIdDestinationBrowse);
  EXPECT_EQ(LastBoxText(), "Out of memory.");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Out");
}

// One request through the Split handler.
struct SplitCase {
  const char* name;
  std::uint32_t sourceSize;  // 0: no source file
  const char* size;
  int unit;
  int mode;
  const char* destination;
  const char* refusal;  // nullptr: the run starts
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class SplitChecks : public DialogFixture, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitChecks, RefusesWithItsMessageOrStarts) {
  const SplitCase& c = GetParam();
  if (c.sourceSize > 0) MakeSource("SRC.DAT", c.sourceSize);
  WriteHostFile(Host('C', "Data/FILE.TXT"), "not a folder");
  OpenMain();
  appSettings.backupPrompt = 0;
  appSettings.noReminders = 1;
  ChooseMode(c.mode == kModeSpan ? kIdSpanRadio : kIdSpecifiedRadio);
  Select(kIdUnitList, c.unit);
  Type(kIdSizeEdit, c.size);
  Type(kIdDestinationEdit, c.destination);
  Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  sys_->boxes.clear();
  sys_->onBox = [](const Box& box) {
    return (box.style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
  };
  Press(kIdSplitButton);
  if (c.refusal != nullptr) {
    ASSERT_EQ(sys_->boxes.size(), 1u);
    EXPECT_EQ(sys_->boxes[0].text, c.refusal);
    EXPECT_EQ(sys_->boxes[0].caption, "Error");
    EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
    EXPECT_EQ(sys_->boxes[0].owner, Main());
    EXPECT_EQ(sys_->ResourceOf(Main()), kDialogMain) << "the main dialog stays";
    EXPECT_EQ(sys_->Calls(Op::Create), 0) << "nothing written";
  } else {
    EXPECT_EQ(std::count(sys_->dialogCalls.begin(), sys_->dialogCalls.end(), "worker"), 1);
    EXPECT_GT(sys_->Calls(Op::Create), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Order, SplitChecks,
    ::testing::Values(
        SplitCase{"SizeZero", 1000, "0", kUnitBytes, kModeSpecified, "C:\\Out",
                  kTextSplitSizeZero},
        SplitCase{"LonePoint", 1000, ".", kUnitKB, kModeSpecified, "C:\\Out", kTextSplitSizeZero},
        SplitCase{"BytesPast32Bits", 1000, "4294967296", kUnitBytes, kModeSpecified, "C:\\Out",
                  kTextSplitSizeTooBig},
        SplitCase{"MegabytesPast32Bits", 1000, "5000", kUnitMB, kModeSpecified, "C:\\Out",
                  kTextSplitSizeTooBig},
        SplitCase{"BadCharacter", 1000, "12a", kUnitBytes, kModeSpecified, "C:\\Out",
                  kTextBadSizeCharacter},
        SplitCase{"OnePiece", 1000, "1000", kUnitBytes, kModeSpecified, "C:\\Out", kTextOnePiece},
        SplitCase{"Pieces1001", 1001, "1", kUnitBytes, kModeSpecified, "C:\\Out",
                  kTextTooManyPieces},
        SplitCase{"Pieces1000", 1000, "1", kUnitBytes, kModeSpecified, "C:\\Out", nullptr},
        SplitCase{"SpanToFolder", 1000, "", kUnitBytes, kModeSpan, "A:\\Dir", kTextSpanToFolder},
        SplitCase{"SpanToFixed", 1000, "", kUnitBytes, kModeSpan, "C:\\", kTextSpanNotRemovable},
        SplitCase{"SpanToRemovableRoot", 1000, "", kUnitBytes, kModeSpan, "A:\\", nullptr},
        SplitCase{"SourceMissing", 0, "100", kUnitBytes, kModeSpecified, "C:\\Out",
                  kTextSourceNotFound},
        SplitCase{"DestinationFolderMissing", 1000, "100", kUnitBytes, kModeSpecified,
                  "C:\\Nowhere", kTextDestinationFolderNotFound},
        SplitCase{"DestinationDriveMissing", 1000, "100", kUnitBytes, kModeSpecified, "Q:\\",
                  kTextDestinationDriveNotFound},
        SplitCase{"DestinationIsAFile", 1000, "100", kUnitBytes, kModeSpecified,
                  "C:\\Data\\FILE.TXT", kTextDestinationNotFolder},
        SplitCase{"DriveRootDestination", 1000, "100", kUnitBytes, kModeSpecified, "C:\\",
                  nullptr},
        SplitCase{"EmptyDestinationTakesTheSourceFolder", 1000, "100", kUnitBytes,
                  kModeSpecified, "", nullptr}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST_F(MainDialog, SizeOverTheSourceIsRefusedAfterTheLookups) {
  // The count label says "too big" and keeps an old count of 1: the size check must
  // still come, not "only 1 piece".
  MakeSource("SRC.DAT", 1000);
  OpenMain();
  Select(kIdUnitList, kUnitBytes);
  Type(kIdSizeEdit, "500");
  Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  Type(kIdSizeEdit, "5000");
  splitJob.pieceCount = 0;
  Press(kIdSplitButton);
  EXPECT_EQ(LastBoxText(), kTextSizeOverSource);
}

TEST_F(MainDialog, CancelledSpanComesBackInSpanMode) {
  MakeSource("SRC.DAT", 5000);
  OpenMain();
  appSettings.backupPrompt = 0;
  ChooseMode(kIdSpanRadio);
  Type(kIdDestinationEdit, "A:\\");
  Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  sys_->answers = {kIdCancel};  // to "Insert disk for piece 1"
  Press(kIdSplitButton);
  EXPECT_EQ(LastBoxText(), "Insert disk for piece 1");
  EXPECT_TRUE(Item(kIdSpanRadio).checked);
  EXPECT_FALSE(Item(kIdSpecifiedRadio).checked);
  EXPECT_FALSE(Item(kIdSizeEdit).enabled);
  EXPECT_EQ(Text(kIdSourceEdit), "C:\\Data\\SRC.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "A:\\");
}

TEST_F(MainDialog, DosDeviceNamesAreRefused) {
  // Windows opens the device for such a name, and so would the join file's COPY.
  for (const char* name : {"nul.bin", "COM1.dat", "lpt1", "Aux.tar.gz"}) {
    SCOPED_TRACE(name);
    MakeSource(name, 2000);
    OpenMain();
    Select(kIdUnitList, kUnitBytes);
    Type(kIdSizeEdit, "1000");
    Type(kIdSourceEdit, std::string("C:\\Data\\") + name);
    sys_->boxes.clear();
    Press(kIdSplitButton);
    ASSERT_EQ(sys_->boxes.size(), 1u);
    EXPECT_EQ(sys_->boxes[0].text,
              "The source file's name \"" + std::string(name) +
                  "\" is the name of a DOS device (CON, PRN, AUX, NUL, COM1 to COM9 or LPT1 to "
                  "LPT9, with or without an extension), which DOS and Windows do not allow as a "
                  "file name. Rename it before splitting.");
    EXPECT_EQ(sys_->boxes[0].caption, "Error");
    EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
    EXPECT_EQ(sys_->Calls(Op::Create), 0);
    EXPECT_EQ(sys_->ResourceOf(Main()), kDialogMain) << "the main dialog stays";
  }
}

TEST_F(MainDialog, SourceOfFourGigabytesIsRefused) {
  const std::string host = Host('C', "Data/HUGE.DAT");
  WriteHostFile(host, "");
  ASSERT_EQ(truncate(host.c_str(), 4294967296LL), 0);
  OpenMain();
  Select(kIdUnitList, kUnitMB);
  Type(kIdSizeEdit, "100");
  Type(kIdSourceEdit, "C:\\Data\\HUGE.DAT");
  Press(kIdSplitButton);
  EXPECT_EQ(LastBoxText(), kTextSourceTooLarge);
  EXPECT_EQ(Text(kIdSizeLabel), "Size: 4096.00 MB (4294967296 bytes)");
}

TEST_F(MainDialog, HundredPiecesAskFirstNinetyNineDoNot) {
  for (std::uint32_t pieces : {99u, 100u}) {
    SCOPED_TRACE(pieces);
    MakeSource("SRC.DAT", pieces * 10);
    OpenMain();
    appSettings.noReminders = 1;
    Select(kIdUnitList, kUnitBytes);
    Type(kIdSizeEdit, "10");
    Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
    sys_->boxes.clear();
    sys_->answers = {kIdNo};
    Press(kIdSplitButton);
    if (pieces == 99) {
      EXPECT_TRUE(sys_->boxes.empty()) << LastBoxText();
      EXPECT_EQ(splitJob.pieceCount, 0u) << "the run ended and reset the request";
    } else {
      ASSERT_EQ(sys_->boxes.size(), 1u);
      EXPECT_EQ(sys_->boxes[0].text,
                "Warning: 100 is quite a large amount of pieces. This may take a very long "
                "while.\nAre you sure you want to procede?");
      EXPECT_EQ(sys_->boxes[0].caption, "Warning");
      EXPECT_EQ(sys_->boxes[0].style, kMbIconWarning | kMbYesNo);
      EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\SRC.DAT") << "committed values stay";
      EXPECT_EQ(splitJob.pieceCount, 100u);
    }
  }
}

TEST_F(MainDialog, RemovableDestinationWarnsAndNoStops) {
  MakeSource("SRC.DAT", 5000);
  OpenMain();
  Select(kIdUnitList, kUnitBytes);
  Type(kIdSizeEdit, "1000");
  Type(kIdDestinationEdit, "A:\\");
  Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  sys_->answers = {kIdNo};
  Press(kIdSplitButton);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text, kTextRemovableWarning);
  EXPECT_EQ(sys_->boxes[0].style, kMbIconWarning | kMbYesNo);
  EXPECT_EQ(sys_->Calls(Op::Create), 0);
}

TEST_F(MainDialog, SuccessGivesAnEmptyNewDialogFailureAndCancelKeepTheRequest) {
  MakeSource("SRC.DAT", 5000);
  auto fill = [&] {
    ChooseMode(kIdSpecifiedRadio);
    Select(kIdUnitList, kUnitBytes);
    Type(kIdSizeEdit, "1000");
    Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  };
  OpenMain();
  appSettings.noReminders = 1;
  fill();
  Press(kIdSplitButton);
  ASSERT_EQ(sys_->ResourceOf(Main()), kDialogMain) << "the progress dialog made a new one";
  EXPECT_EQ(Text(kIdSourceEdit), "");
  EXPECT_EQ(Text(kIdDestinationEdit), "");
  EXPECT_EQ(Text(kIdSizeEdit), "");
  EXPECT_TRUE(Item(kIdSpecifiedRadio).checked);
  EXPECT_EQ(Item(kIdUnitList).selection, kUnitKB);
  EXPECT_EQ(List(Host('C', "Data")).size(), 7u) << "5 pieces, the join file and the source";

  // The first create of the next run fails and is not retried.
  fill();
  Select(kIdUnitList, kUnitBytes);
  sys_->FailCall(Op::Create, sys_->Calls(Op::Create) + 1, kErrorAccessDenied);
  sys_->answers = {kIdCancel};
  Press(kIdSplitButton);
  EXPECT_EQ(Text(kIdSourceEdit), "C:\\Data\\SRC.DAT");
  EXPECT_EQ(Text(kIdDestinationEdit), "C:\\Data");
  EXPECT_EQ(Text(kIdSizeEdit), "1000");
  EXPECT_EQ(Item(kIdUnitList).selection, kUnitBytes);

  // The close box while the second piece is written acts as Cancel.
  fill();
  Select(kIdUnitList, kUnitBytes);
  const int start = sys_->Calls(Op::Write);
  sys_->beforeCall = [this, start](Op op, int n) {
    if (op == Op::Write && n == start + 2) sys_->CloseWindow(progressDialog);
  };
  sys_->boxes.clear();
  Press(kIdSplitButton);
  EXPECT_TRUE(sys_->boxes.empty());
  EXPECT_EQ(Text(kIdSourceEdit), "C:\\Data\\SRC.DAT");
  EXPECT_EQ(Text(kIdSizeEdit), "1000");
  EXPECT_EQ(sys_->destroyed.size(), 6u) << "three main dialogs and three progress dialogs";
}

}  // namespace
}  // namespace parcelo

