// The failure text: the system's message for the last reported failure.
#include "support/failure_text.h"

#include <windows.h>

#include <string>

#include "common/machine_test.h"

namespace {

class FailureTextTest : public MachineTest {};

TEST_F(FailureTextTest, HoldsTheSystemMessageWithoutItsLineBreakOrTheLabel) {
  EXPECT_EQ(FormatSystemError("StopService - ControlService", ERROR_ACCESS_DENIED),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_STREQ(LastErrorText(), "Access is denied.");
}

TEST_F(FailureTextTest, TheLastReportWins) {
  FormatSystemError("RegRemoveExtAgentParameters - RegOpenKeyEx", ERROR_FILE_NOT_FOUND);
  FormatSystemError("StopService - Wait for stop service", ERROR_SERVICE_SPECIFIC_ERROR);
  EXPECT_STREQ(LastErrorText(), "The service has returned a service-specific error code.");
}

TEST_F(FailureTextTest, ACodeWithoutMessageKeepsThePreviousText) {
  FormatSystemError("OpenSNMPService - OpenService", ERROR_SERVICE_DOES_NOT_EXIST);
  EXPECT_EQ(FormatSystemError("StopService - ControlService", 0x20004711u), 0x20004711u);
  EXPECT_STREQ(LastErrorText(), "The specified service does not exist as an installed service.");
}

TEST_F(FailureTextTest, OnlyALineBreakIsCutFromTheEnd) {
  machine().system.messageTexts[0x20000001] = "A";
  FormatSystemError("StopService - ControlService", 0x20000001);
  EXPECT_STREQ(LastErrorText(), "A");

  machine().system.messageTexts[0x20000002] = "Ends without a line break.";
  FormatSystemError("StopService - ControlService", 0x20000002);
  EXPECT_STREQ(LastErrorText(), "Ends without a line break.");

  machine().system.messageTexts[0x20000003] = "First line.\r\nSecond line.\r\n";
  FormatSystemError("StopService - ControlService", 0x20000003);
  EXPECT_STREQ(LastErrorText(), "First line.\r\nSecond line.");
}

TEST_F(FailureTextTest, AMessageWithInsertsIsShownAsItStands) {
  FormatSystemError("StopService - ControlService", ERROR_WRONG_DISK);
  EXPECT_STREQ(
      LastErrorText(),
      "The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) into drive %1.");
}

TEST_F(FailureTextTest, TheSystemWritesAtMost511Characters) {
  // 508 visible characters and the line break fill the 511 exactly.
  const std::string fitting(508, 'f');
  machine().system.messageTexts[0x20000004] = fitting + "\r\n";
  FormatSystemError("StopService - ControlService", 0x20000004);
  EXPECT_EQ(LastErrorText(), fitting);

  // One more does not fit: the system writes nothing and the text stays.
  machine().system.messageTexts[0x20000005] = std::string(509, 'g') + "\r\n";
  FormatSystemError("StopService - ControlService", 0x20000005);
  EXPECT_EQ(LastErrorText(), fitting);
}

}  // namespace
