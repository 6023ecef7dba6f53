// tvtrace's command line, its piece log and its numbers.
#include <gtest/gtest.h>

#include "tvtrace/hex_text.h"
#include "tvtrace/invocation.h"
#include "tvtrace/piece_log.h"

namespace {

TEST(PieceLog, KeepsEveryPieceOnOneLineAndReadsItBackUnchanged) {
  const std::string pieces[] = {"Checking OS version...\n",
                                "EnableWholeDir= ",
                                "",
                                "C:\\Program Files\\new\\tab\there",
                                "cr\r\n",
                                std::string("nul\0x\x1f\x7f", 8),
                                "\\n is not a line feed"};
  for (const std::string& piece : pieces) {
    const std::string line = EscapePiece(piece);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_EQ(UnescapePiece(line), piece) << line;
  }
  EXPECT_EQ(EscapePiece("Removing file: C:\\a\n"), "Removing file: C:\\\\a\\n");
}

TEST(PieceLog, RejectsLinesThatNoPieceGivesRatherThanGuessing) {
  for (const char* line :
       {"ends in a backslash\\", "unknown \\q escape", "short \\x4", "bad \\xg1"}) {
    EXPECT_FALSE(UnescapePiece(line).has_value()) << line;
  }
  EXPECT_EQ(UnescapePiece("\\x41\\x20b"), "A b");
}

TEST(HexText, WritesUpperCaseDigitsAfter0xAtLeastAsManyAsAsked) {
  EXPECT_EQ(HexText(0xC0000005), "0xC0000005");
  EXPECT_EQ(HexText(0), "0x0");
  EXPECT_EQ(HexText(6, 8), "0x00000006");
  EXPECT_EQ(HexText(0xFFFFFFFFFFFFFFFFull, 8), "0xFFFFFFFFFFFFFFFF");
}

TEST(Invocation, PassesTheProgramsCommandLineOnAsTyped) {
  Invocation invocation = ReadInvocation(
      "\"C:\\tools\\tvtrace.exe\"  \"C:\\My Logs\\run.log\"  \"C:\\WINNT\\tvuninst.exe\" -x \"a "
      "b\"");
  EXPECT_TRUE(invocation.error.empty());
  EXPECT_FALSE(invocation.pieces);
  EXPECT_EQ(invocation.logPath, "C:\\My Logs\\run.log");
  EXPECT_EQ(invocation.programCommandLine, "\"C:\\WINNT\\tvuninst.exe\" -x \"a b\"");
}

TEST(Invocation, ReadsThePiecesSwitchBeforeTheLogFile) {
  Invocation invocation = ReadInvocation("tvtrace /PIECES trace.log tvuninst.exe");
  EXPECT_TRUE(invocation.pieces);
  EXPECT_EQ(invocation.logPath, "trace.log");
  EXPECT_EQ(invocation.programCommandLine, "tvuninst.exe");
}

TEST(Invocation, RefusesACommandLineWithoutLogFileOrProgram) {
  EXPECT_EQ(ReadInvocation("tvtrace").error, "no log file given");
  EXPECT_EQ(ReadInvocation("tvtrace /pieces").error, "no log file given");
  EXPECT_EQ(ReadInvocation("tvtrace trace.log   ").error, "no program given");
}

}  // namespace
