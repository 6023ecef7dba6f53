// A scenario: one run of tvuninst.exe on a machine with the sample product, and what
// must come of it. The same file drives the native test over winsim and the Wine run.
//
// The file is a list of lines "<word> <rest>"; blank lines and lines starting with "#"
// are ignored. In every line but app-path %WINDIR% stands for the Windows directory of
// the machine, and in trace pieces %MESSAGE:<code>% for the system's text of that error
// code as this machine's FormatMessageA gives it (Wine's wording differs from Windows').
//   windows <win95|nt351|nt40|win2k|winxp|win10>  the Windows version (Wine's names)
//   install <standard|no-app-paths|windows-directory|snmp-agent|listed-files|manager|
//            program-groups|everything|half-removed>  the sample product's variant
//   app-path <directory>               the App Paths entry's "Path" value, in place of
//                                      the variant's directory (whose files stay): kept
//                                      as written; each runner puts the Windows
//                                      directory for %WINDIR% when it installs
//   current-directory <folder>         the current directory the uninstaller is started
//                                      in (the Wine runner's answerer starts it there)
//   hold <path>                        a file another program holds open (sharing
//                                      nothing) through the run; it lets go before the
//                                      restart
//   caption <text>                     the caption of every box
//   box <pressed> <buttons> <text>     the next box: the button to press, its buttons
//                                      ("Yes,No"), and its text (escaped as a trace piece)
//   exit <code>                        the exit code
//   trace <piece>                      the next debug-output piece, escaped: \n \\ \r \t \xHH
//                                      ("%ANY%": any one piece, for a path that differs
//                                      between the machines)
//   key <present|absent> <ROOT\key>    a registry key afterwards (HKLM, HKCR, HKCU)
//   value <present|absent> <ROOT\key>|<name>  a registry value afterwards
//   file <present|absent> <path>       a file or directory afterwards
//   service <running|stopped|absent> <name>  a Win32 service's state afterwards
//   pending <path>                     the next entry of the delete-at-restart list
//   launch <command line>              the next launch of the Install Shield uninstaller
//                                      or of the management product's uninstaller
//   group <present|absent> <name>      a Program Manager group afterwards
//   item <present|absent> <group>|<name>  an item of a Program Manager group afterwards
//   include <file>                     the lines of another file beside this one
//   second-copy <exit code>            a second copy of the uninstaller is started as the
//                                      Install Shield uninstaller starts (the first
//                                      copy waiting for it) and must end with the code
//   winsim-only <reason>               Wine cannot show this run faithfully: the Wine
//                                      runner skips it and reports the reason
//   c-runtime <dll>                    the only C runtime the programs (tvuninst.exe,
//                                      tvtrace.exe) may load themselves; the Wine runner
//                                      checks what they import, name and load, and
//                                      reports the run as not run on a build linked
//                                      with another (winsim has no DLLs)
//   setup service <normal|slow|refusing> <name>  a stub service installed and running
//                                      before the run: it stops at once, stays
//                                      stop-pending a while, or refuses to stop
//   setup program <quits|ignores> <window class>  a stub program with a window of the
//                                      class, that ends on WM_QUIT or ignores it
//   setup event-source <name>          an event-log source entry of the Application log
//   setup device <name>                "\\.\<name>" can be opened
//   setup drive <letter>:\<file>       a drive of its own (a folder outside drive C:)
//                                      that holds the file
//   setup setting <Key>=<value>        a line added to [Settings] of the installed profile
//   setup file <letter>:\<path>        a file of the user's, made with its folders
//   setup value <ROOT\key>|<name>=<text>  a registry text value (HKLM or HKCU) written
//                                      before the run, its key made when missing; as
//                                      REG_EXPAND_SZ when the text holds a "%" (what
//                                      remains of it once %WINDIR% is filled in), else
//                                      as REG_SZ
//   log <path>                         the run's log file afterwards: a first line, the
//                                      trace piece by piece, and the line of the exit code
//   log-summary <line>                 a line of the summary that a completed run's log
//                                      holds between its trace and its last line
//   service <running|stopped|absent> <name>  a service's state afterwards
//   window <present|absent> <window class>   a window of the class afterwards
//   power-cut <install-shield-start|install-shield-end>  the run ends there: its power
//                                      fails as the Install Shield uninstaller starts,
//                                      or as it ends, once it has removed the
//                                      application keys; the machine restarts, and the
//                                      uninstaller is run again. The box lines above
//                                      answer the cut run, those below the rerun;
//                                      exit, trace and log are the rerun's, and its
//                                      trace is compared only when the scenario lists
//                                      one (what a rerun finds left depends on where
//                                      the power failed)
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "power_cut.h"
#include "sample_product.h"

// A trace piece that stands for any one piece.
inline const char kAnyPiece[] = "%ANY%";

struct WindowsVersion {
  unsigned major = 4;
  unsigned minor = 0;
  unsigned build = 1381;
  bool nt = true;  // false: the Windows 95/98 platform
};

// The version Wine reports for one of its version names; none for a name it lacks.
std::optional<WindowsVersion> WindowsVersionNamed(const std::string& name);

struct ExpectedBox {
  std::string pressed;  // "Yes"
  std::string buttons;  // "Yes,No"
  std::string text;
};

struct StateExpectation {
  bool present = true;
  std::string path;                  // "HKLM\SOFTWARE\..." or a file path
  std::optional<std::string> value;  // a registry value's name
};

// Something that runs on the machine before the uninstaller starts (a "setup" line).
struct SetupStep {
  std::string kind;       // "service", "program", "event-source", "device", "drive" or
                          // "setting"
  std::string behaviour;  // of a service or a program; empty for the others
  std::string name;       // the service, window class, event source, device, the drive's
                          // file, or Key=Value
};

// A registry text value that a "setup value" line writes before the run.
struct SetupValue {
  std::string key;   // "HKCU\Software\..." or "HKLM\..."
  std::string name;  // empty: the key's default value
  std::string text;  // REG_EXPAND_SZ when it holds a "%", else REG_SZ
};

// A service's state ("running", "stopped", "absent") or a window's presence
// ("present", "absent") after the run.
struct ComponentExpectation {
  std::string kind;  // "service" or "window"
  std::string state;
  std::string name;
};

struct Scenario {
  std::string name;
  std::string windows = "nt40";
  WindowsVersion version;
  SampleVariant variant = SampleVariant::kStandard;
  std::string appPath;  // the App Paths entry's "Path" as written; empty: the variant's
  std::string currentDirectory;  // where the uninstaller starts; empty: the runner's own
  std::vector<std::string> userFiles;  // "setup file" lines, made before the run
  std::vector<SetupValue> setupValues;  // "setup value" lines, written before the run
  std::string caption;
  std::vector<ExpectedBox> boxes;
  long exitCode = 0;
  std::vector<std::string> trace;
  std::vector<StateExpectation> keys;  // registry keys and values
  std::vector<StateExpectation> files;
  std::vector<std::string> pending;
  std::vector<std::string> launches;
  std::vector<std::string> held;  // files held open by another program through the run
  std::optional<long> secondCopyExit;  // a second copy's exit code; none: no second copy
  std::vector<StateExpectation> programGroups;  // `value` names an item of the group
  std::vector<SetupStep> setup;
  std::vector<ComponentExpectation> components;
  std::string log;  // the run's log file; empty when the scenario has none
  std::string logSummary;  // the lines between the log's trace and its last line
  std::string winsimOnly;  // why Wine cannot show this run faithfully; empty when it can
  std::string cRuntime;    // the only C runtime DLL the programs may load; empty: any
  std::optional<PowerCutMoment> powerCut;  // where a first run loses its power
  std::vector<ExpectedBox> cutRunBoxes;    // the boxes that first run answers
};

// Reads a scenario file; on failure returns none and says why in `error`.
std::optional<Scenario> LoadScenario(const std::string& path, const std::string& windowsDirectory,
                                     std::string* error);

// The run that a power cut ends, as a scenario of its own to answer: the same, with the
// cut run's boxes.
Scenario CutRunOf(const Scenario& scenario);
