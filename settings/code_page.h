#pragma once
// Code pages as the form rule needs them (see CodePage in text_form.h).
#include "settings/text_form.h"

namespace tessam {

// Code page `number` with the platform's strict decoder: MultiByteToWideChar
// with MB_ERR_INVALID_CHARS on Windows, iconv elsewhere (where it serves the
// tests and the fuzzer). Its decoder gives nothing for everything when the
// platform does not know the code page.
CodePage CodePageNumbered(unsigned number);

// Windows: the code page its own functions read an unmarked file in, the
// system's ANSI code page (GetACP).
CodePage SystemCodePage();

}  // namespace tessam
