#include "tvtrace/trace_log.h"

#include "tvtrace/piece_log.h"

TraceLog::TraceLog(const std::string& path, bool pieces)
    : file_(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)),
      pieces_(pieces) {}

void TraceLog::WritePiece(std::string_view piece) {
  if (pieces_) {
    Write(EscapePiece(piece) + "\r\n");
  } else {
    Write(piece);
  }
}

void TraceLog::WriteNote(const std::string& note) {
  // In the piece log a note cannot be taken for a piece: it starts a line with "#".
  Write(pieces_ ? "# tvtrace: " + note + "\r\n" : "[tvtrace] " + note + "\n");
}

void TraceLog::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written == 0) {
      return;  // a full disk must not stop the program being traced
    }
    bytes.remove_prefix(written);
  }
}
