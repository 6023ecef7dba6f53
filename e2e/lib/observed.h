// What a run showed: its exit code, its message boxes and its debug-output pieces;
// and the log that the prompt answerer keeps of it under Wine.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ObservedBox {
  std::string caption;
  std::string text;
  std::string buttons;  // left to right, "Yes,No"
  std::string pressed;  // the button the answerer pressed
};

struct Observed {
  long exitCode = 0;
  std::vector<ObservedBox> boxes;
  std::vector<std::string> trace;
  std::optional<std::string> log;  // the log file's content, when the scenario names one
};

// Button names by their command identifiers (IDOK = 1 to IDNO = 7) and back; 0 and ""
// for what is not a message-box button.
std::string ButtonName(int id);
int ButtonId(const std::string& name);
// The buttons that MessageBoxA shows for a style, left to right.
std::string ButtonsOfStyle(unsigned style);

// The button to press for the box numbered `index` (from 0): the scenario's answer when
// it expects a box there with that caption, and otherwise, for a box nobody expected,
// the last button (No, Cancel, Ignore or OK), which changes the least.
struct Scenario;
std::string ChooseAnswer(const Scenario& scenario, std::size_t index, const std::string& caption,
                         const std::string& buttons);

// The answerer's log: a line "box <pressed>\t<buttons>\t<caption>\t<text>" per box, with
// caption and text escaped as trace pieces, then "exit <code>" and "elapsed <ms>".
std::string BoxLogLine(const ObservedBox& box);
std::string ExitLogLine(long exitCode);
// Reads the answerer's log into `observed`; returns false when a line is malformed.
bool ReadBoxLog(const std::string& path, Observed* observed, std::string* error);
// Reads tvtrace's piece log (tvtrace /pieces) into the trace; its own notes, lines that
// start with "#", are kept as pieces so that they show up in a comparison.
bool ReadPieceLog(const std::string& path, std::vector<std::string>* trace, std::string* error);
