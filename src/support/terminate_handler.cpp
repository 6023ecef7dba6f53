// What ends the program when an exception escapes: an immediate abort.
//
// The C++ library's own handler would write the exception's type name to the standard
// error stream, which a GUI program does not have, and linking it brings in the name
// demangler and the library's formatted output, which import IsDBCSLeadByteEx: KERNEL32
// of Windows NT 3.51 does not export it, so that handler alone would keep the program
// from loading there. Linked into the Windows programs, in place of the library's.
#include <cstdlib>
#include <exception>

void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
