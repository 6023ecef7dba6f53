// The failure text: the system's message for the last reported failure.
#include "support/failure_text.h"

#include <windows.h>

#include <string>

#include "common/machine_test.h"

namespace {

class FailureTextTest : public MachineTest {};

TEST_F(FailureTextTest, HoldsTheLastMessageFoundWithoutItsLineBreakOrTheLabel) {
  const std::string fitting(508, 'f');  // with the line break, the 510 the text keeps at most
  struct Report {
    DWORD error;
    std::string message;  // empty: the system's own
    std::string text;     // the failure text afterwards
  };
  for (const Report& r : std::vector<Report>{
           {ERROR_SERVICE_DOES_NOT_EXIST, "", "The specified service does not exist as an installed service."},
           {0x20004711u, "", "The specified service does not exist as an installed service."},  // no message
           {0x20000001, "A", "A"},
           {0x20000002, "Ends without a line break.", "Ends without a line break."},
           {0x20000003, "First line.\r\nSecond line.\r\n", "First line.\r\nSecond line."},
           {ERROR_WRONG_DISK, "",
            "The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) into drive %1."},
           {0x20000004, fitting + "\r\n", fitting},
           {0x20000005, std::string(509, 'g') + "\r\n", std::string(509, 'g')},  // cut to what fits
       }) {
    SCOPED_TRACE(r.error);
    if (!r.message.empty()) machine().system.messageTexts[r.error] = r.message;
    EXPECT_EQ(FormatSystemError("StopService - ControlService", r.error), r.error);
    EXPECT_EQ(LastErrorText(), r.text);
  }
}

}  // namespace
