// The failure text: the system's message for the last reported failure; and the last
// error, which tracing and closing a handle leave as they found it.
#include "support/failure_text.h"

#include <windows.h>

#include <string>

#include "common/machine_test.h"
#include "support/handles.h"
#include "support/trace.h"

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
           {0x20000006, "One line break only.\n\r\n", "One line break only.\n"},
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

// A trace line whose log write fails, a system message looked up in vain, and a handle
// whose closing fails, between a failing call and the reading of its code.
TEST_F(FailureTextTest, TracingAndClosingAHandleKeepTheLastError) {
  machine().files.AddDirectory("C:\\Logs");
  RunLog log;
  log.Open("C:\\Logs\\tvuninst.log");
  machine().faults.FailCall("WriteFile", machine().faults.CallCount("WriteFile") + 1, ERROR_DISK_FULL);
  SetLastError(ERROR_ACCESS_DENIED);
  Trace("a line\n");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(Traced({"Log file cannot be written, the run goes on without it: "}));
  EXPECT_EQ(SystemMessage(0x20004711u), "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  FileHandle file(CreateFileA("C:\\Logs\\other", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  machine().faults.FailCall("CloseHandle", machine().faults.CallCount("CloseHandle") + 1, ERROR_INVALID_HANDLE);
  SetLastError(ERROR_ACCESS_DENIED);
  file.Reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
