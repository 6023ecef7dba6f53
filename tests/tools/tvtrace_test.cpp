// tvtrace's command line, its piece log and its numbers.
#include <gtest/gtest.h>

#include "tvtrace/hex_text.h"
#include "tvtrace/invocation.h"
#include "tvtrace/piece_log.h"

namespace {

TEST(PieceLog, KeepsEveryPieceOnOneLineAndRefusesLinesThatNoPieceGives) {
  for (const std::string& piece :
       {std::string("Checking OS version...\n"), std::string("EnableWholeDir= "), std::string(),
        std::string("C:\\Program Files\\new\\tab\there"), std::string("cr\r\n"),
        std::string("nul\0x\x1f\x7f", 8), std::string("\\n is not a line feed")}) {
    const std::string line = EscapePiece(piece);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_EQ(UnescapePiece(line), piece) << line;
  }
  EXPECT_EQ(EscapePiece("Removing file: C:\\a\n"), "Removing file: C:\\\\a\\n");
  EXPECT_EQ(UnescapePiece("\\x41\\x20b"), "A b");
  for (const char* line :
       {"ends in a backslash\\", "unknown \\q escape", "short \\x4", "bad \\xg1"}) {
    EXPECT_FALSE(UnescapePiece(line).has_value()) << line;
  }
}

TEST(HexText, WritesUpperCaseDigitsAfter0xAtLeastAsManyAsAsked) {
  for (const auto& [value, digits, text] :
       {std::tuple{0xC0000005ull, 1, "0xC0000005"}, std::tuple{0ull, 1, "0x0"},
        std::tuple{6ull, 8, "0x00000006"}, std::tuple{~0ull, 8, "0xFFFFFFFFFFFFFFFF"}}) {
    EXPECT_EQ(HexText(value, digits), text);
  }
}

TEST(Invocation, TakesAnOptionalPiecesSwitchTheLogFileAndTheProgramsCommandLineAsTyped) {
  struct Case {
    const char* commandLine;
    const char* error;
    bool pieces;
    const char* logPath;
    const char* programCommandLine;
  };
  for (const Case& c :
       {Case{"\"C:\\tools\\tvtrace.exe\"  \"C:\\My Logs\\run.log\"  \"C:\\WINNT\\tvuninst.exe\" "
             "-x \"a b\"",
             "", false, "C:\\My Logs\\run.log", "\"C:\\WINNT\\tvuninst.exe\" -x \"a b\""},
        Case{"tvtrace /PIECES trace.log tvuninst.exe", "", true, "trace.log", "tvuninst.exe"},
        Case{"tvtrace", "no log file given"}, Case{"tvtrace /pieces", "no log file given"},
        Case{"tvtrace trace.log   ", "no program given"}}) {
    const Invocation invocation = ReadInvocation(c.commandLine);
    EXPECT_EQ(invocation.error, c.error) << c.commandLine;
    if (*c.error) continue;
    EXPECT_EQ(invocation.pieces, c.pieces);
    EXPECT_EQ(invocation.logPath, c.logPath);
    EXPECT_EQ(invocation.programCommandLine, c.programCommandLine);
  }
}

}  // namespace
