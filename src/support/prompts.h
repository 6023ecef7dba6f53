// The one place where the run asks the user and tells the user. An interactive run shows
// the profile's texts in message boxes with no owner and the profile's caption; an
// unattended run shows nothing and gives every question its fixed answer, with a trace
// line for each answer and for each text it did not show.
#pragma once

#include <array>
#include <string>

#include "support/profile_texts.h"

// Answers of PromptStopFailure.
constexpr int kPromptAbort = 0;
constexpr int kPromptRetry = 1;
constexpr int kPromptIgnore = 2;

class Prompts {
 public:
  // Keeps a reference: the profile outlives the run's prompts.
  explicit Prompts(const ProfileTexts& profile) : profile_(profile) {}

  // The directory warning for `directory` (shown with a trailing backslash); true only
  // for Yes. Unattended: No, so a system directory or a root is never removed.
  bool ConfirmDirectoryWarning(const char* directory);

  // The removal prompt: IDYES, IDNO, or 0 when the box could not be shown.
  // Unattended: IDYES.
  int AskForConsent();

  // A component that will not stop (0 the main program, 1 the agent program, 2 the
  // on-access component): kPromptAbort, kPromptRetry or kPromptIgnore. A box that cannot
  // be shown counts as Abort: nothing of a component still running goes without the
  // user's say. Unattended: Retry the first time for each component, then the profile's
  // UnattendedStopFailure answer (Ignore, or Abort).
  int PromptStopFailure(int index);

  // Whether to remove the SNMP agent: IDYES (and its DLL), IDNO, IDCANCEL, or 0 when the
  // box could not be shown. Unattended: IDYES.
  int AskSnmpAgentRemoval();

  // A text that tells and asks nothing; unattended, it goes to the trace instead.
  void Tell(const std::string& text);
  // The SNMP agent's removal failed: the reason, then the profile's SNMPCannotUninstall.
  void TellSnmpAgentNotRemoved(const std::string& reason);
  // The profile's SNMPUninstalled.
  void TellSnmpAgentRemoved() { Tell(profile_.snmpUninstalled); }

 private:
  int Show(const std::string& text, unsigned style) const;

  const ProfileTexts& profile_;
  std::array<int, 3> unattendedStopFailures_{};  // by component
};

// The directory warning: WarnDirPrompt1, a blank, the directory and "\", a line feed,
// WarnDirPrompt2, a line feed, WarnDirPrompt3.
std::string DirectoryWarningText(const ProfileTexts& profile, const char* directory);
