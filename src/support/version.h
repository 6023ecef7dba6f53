// The program's version, for its version resource and the first line of its log. Only
// preprocessor definitions: the resource compiler reads this file too.
#pragma once

#define TVUNINST_VERSION_NUMBERS 1, 0, 0, 0
#define TVUNINST_VERSION_TEXT "1.0.0.0"
